#include "ui/message_box.h"

#include <vector>

#include "ui/win32/native_controls.h"
#include "ui/win32/win32_ui.h"

namespace ui {
namespace {

// One of the program's other windows as it was before the box, so that it can be put back.
struct Suspended {
  HWND window;
  bool was_enabled;
  bool was_on_top;
};

BOOL CALLBACK Suspend(HWND w, LPARAM list) {
  if (!IsWindowVisible(w)) return TRUE;
  const Suspended s{w, IsWindowEnabled(w) != FALSE, (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0};
  if (s.was_on_top) SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EnableWindow(w, FALSE);
  reinterpret_cast<std::vector<Suspended>*>(list)->push_back(s);
  return TRUE;
}

}  // namespace

int32_t MessageBoxShow(runtime::TextView title, runtime::TextView text, uint32_t flags, void* owner_window) {
  if (!Win32ToolkitStarted()) return 0;
  auto* owner = static_cast<HWND>(owner_window);
  if (owner == nullptr) owner = GetActiveWindow();
  if (static_cast<int64_t>(text.size()) > kMessageTextLimit) text = text.substr(0, kMessageTextKept);

  // Modal to the whole program: its other windows are disabled outright, so that they look and
  // report disabled while the box is up, and none stays on top of it.
  std::vector<Suspended> suspended;
  EnumThreadWindows(GetCurrentThreadId(), Suspend, reinterpret_cast<LPARAM>(&suspended));

  const std::wstring t = WideFromText(title);
  const std::wstring body = WideFromText(text);
  // The button and icon bits are the platform's own.
  const int answer = win32::NativeMessageBox(owner, t.c_str(), body.c_str(), flags & 0xFF);

  for (auto it = suspended.rbegin(); it != suspended.rend(); ++it) {
    if (!IsWindow(it->window)) continue;
    if (it->was_on_top) {
      SetWindowPos(it->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Exactly as before: closing the box enables its owner again, even one the program had disabled.
    EnableWindow(it->window, it->was_enabled ? TRUE : FALSE);
  }
  if (owner != nullptr && IsWindow(owner)) SetActiveWindow(owner);
  return answer;
}

}  // namespace ui
