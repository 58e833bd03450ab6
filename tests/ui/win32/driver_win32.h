// Input as a user makes it, for the Win32 driver and the native layer's tests: through the system's own
// queue (SendInput) at screen coordinates, so capture, focus and key state follow as they would. Wine
// delivers it to the foreground window only.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace ui_driver {

// Key events in order: a virtual key each, pressed (false) or released (true).
inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
  for (const auto& [key, up] : keys) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(INPUT));
  }
}

// Mouse events (button flags, 0 for a move) one after another at one point.
inline void SendMouse(POINT screen, const std::vector<DWORD>& events) {
  for (DWORD flags : events) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(INPUT));
  }
}

}  // namespace ui_driver
