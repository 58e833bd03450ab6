// What the Win32 driver's files and the native layer's tests share: input as a user makes it, through
// the system's own queue (SendInput) at screen coordinates, so capture, focus and key state follow as
// they would (wine delivers it to the foreground window only), and pumping messages.
#pragma once

#include <vector>

#include "ui/geometry.h"
#include "ui/win32/win32_ui.h"

namespace ui_driver {

inline void SendKeyEvent(WORD key, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof(INPUT));
}

// A press and release of `key` with `held` (0: none) down around it.
inline void SendKeyPress(WORD key, WORD held = 0) {
  if (held != 0) SendKeyEvent(held, false);
  SendKeyEvent(key, false);
  SendKeyEvent(key, true);
  if (held != 0) SendKeyEvent(held, true);
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

// Handles every message that is waiting and what follows from it, until the thread is idle.
void PumpIdle();

// Whether the window is of the class `name` (in any case).
bool ClassIs(HWND window, const wchar_t* name);

inline ui::Rect RectOf(const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace ui_driver
