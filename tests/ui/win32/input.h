// Input as a user makes it: through the system's own queue (SendInput), so capture, focus and key
// state follow as they would. Screen coordinates; the window must be the foreground one.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace ui_win32_input {

inline void SendInputs(std::initializer_list<INPUT> inputs) {
  std::vector<INPUT> list(inputs);
  SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
}

inline INPUT KeyInput(WORD key, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

inline INPUT MouseInput(DWORD flags, POINT screen) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return in;
}

}  // namespace ui_win32_input
