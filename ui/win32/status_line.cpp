#include "ui/status_line.h"

#include "ui/backend.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/win32_ui.h"
#include "ui/window.h"

namespace ui {
namespace {

// Widgets are made with id 0; this one is found by its own id among the window's children.
constexpr int kStatusLineId = 0x5653;  // "VS"

HWND StatusLineOf(runtime::ObjectNumber window) {
  HWND w = Win32Window(window);
  return w != nullptr ? GetDlgItem(w, kStatusLineId) : nullptr;
}

}  // namespace

void* BackendStatusLine(runtime::ObjectNumber window) { return StatusLineOf(window); }

bool StatusLineCreate(runtime::ObjectNumber window, int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND w = Win32Window(window);
  if (w == nullptr) return false;
  const ScaledRect g = ScaleRect(x, y, width, height);
  if (HWND line = StatusLineOf(window)) {
    SetWindowPos(line, nullptr, g.x, g.y, g.width, g.height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  HWND line = win32::NativeLabelCreate(w, {g.x, g.y, g.width, g.height}, kStatusLineId);
  if (line == nullptr) return false;
  if (HFONT font = Win32WidgetFont()) win32::NativeSetFont(line, font);
  return true;
}

void StatusLineSetText(runtime::ObjectNumber window, runtime::TextView text) {
  if (HWND line = StatusLineOf(window)) SetWindowTextW(line, WideFromText(text).c_str());
}

runtime::Text StatusLineText(runtime::ObjectNumber window) {
  HWND line = StatusLineOf(window);
  return line != nullptr ? TextFromWide(win32::NativeWindowText(line)) : runtime::Text();
}

}  // namespace ui
