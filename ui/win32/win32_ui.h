// What the Win32 backend's files share, and what code that must handle the native controls (the
// Win32 test driver) uses to reach them: conversions at the UTF-16 boundary, the shared font, the
// window class, and the message record a kind's notify slot receives.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

// What a kind's notify slot gets as its event on Windows; its target is the control's HWND.
// Every message sent to the control comes first (through its subclass), and so does every
// notification the control sends its parent window (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*,
// WM_HSCROLL, WM_VSCROLL), with `from_parent` set. When notify takes a message (returns anything
// but kNotHandled), `result` is what the message returns.
struct Win32Message {
  HWND control;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  bool from_parent;
  LRESULT result;
};

// The WM_NOTIFY header `control` sent its parent window, or null when the message is not one.
inline const NMHDR* ParentNotifyFrom(const Win32Message* m, HWND control) {
  if (!m->from_parent || m->message != WM_NOTIFY) return nullptr;
  const auto* h = reinterpret_cast<const NMHDR*>(m->lparam);
  return h != nullptr && h->hwndFrom == control ? h : nullptr;
}

// runtime::Text and the system's wide strings are the same UTF-16 units.
inline const wchar_t* WideOf(const runtime::Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
inline runtime::Text TextFromWide(const std::wstring& s) {
  return runtime::Text(reinterpret_cast<const char16_t*>(s.data()), s.size());
}
inline std::wstring WideFromText(runtime::TextView t) {
  return std::wstring(reinterpret_cast<const wchar_t*>(t.data()), t.size());
}

// True between StartToolkit and StopToolkit.
bool Win32ToolkitStarted();

// The font every registered control gets (the system's message font at the display's density).
HFONT Win32WidgetFont();

// The class of the program's top-level windows.
constexpr wchar_t kWin32WindowClass[] = L"SceneBuilderWindow";

// The widget's control or the window's HWND, or null.
inline HWND Win32Control(runtime::ObjectNumber number) { return static_cast<HWND>(WidgetControl(number)); }
inline HWND Win32Window(runtime::ObjectNumber number) { return static_cast<HWND>(WindowWidget(number)); }
inline HWND Win32Container() { return static_cast<HWND>(WidgetContainer()); }

// A notification a control sent its parent window, offered to the control's kind; true when the
// kind took it (*result is then the message's result).
bool Win32OfferParentMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

// The widget number of a control, -1 when none (BackendControlNumber).
int64_t Win32ControlNumber(HWND control);

// The items (rows, tree positions) the control's last drag started with; kinds that report drags
// record them, and they go with the control.
void Win32SetDraggedItems(HWND control, std::vector<int64_t> items);
std::vector<int64_t> Win32DraggedItems(HWND control);

}  // namespace ui
