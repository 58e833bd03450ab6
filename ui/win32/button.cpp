#include "ui/button.h"

#include <algorithm>
#include <string>

#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/win32_ui.h"
#include "ui/window.h"

namespace ui {
namespace {

HWND ButtonOf(WidgetRecord* w) { return static_cast<HWND>(w->control); }

bool IsPushButton(HWND b) {
  const LONG type = GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// A press, by the mouse or the keyboard, reaches the parent as BN_CLICKED. Enter presses a focused
// push button as Space does; outside a dialog the system leaves Enter to nobody.
int64_t ButtonNotify(WidgetRecord* w, void*, void* event) {
  auto* m = static_cast<Win32Message*>(event);
  if (m->from_parent && m->message == WM_COMMAND && HIWORD(m->wparam) == BN_CLICKED) {
    PostWidgetEvent(w->control, WidgetEventLeftClick);
  }
  if (!m->from_parent && m->wparam == VK_RETURN && IsPushButton(ButtonOf(w))) {
    if (m->message == WM_KEYDOWN && !(m->lparam & (1 << 30))) SendMessageW(ButtonOf(w), BM_CLICK, 0, 0);
    if (m->message == WM_KEYDOWN || m->message == WM_CHAR) return 1;  // the character would only beep
  }
  return kNotHandled;
}

int64_t ButtonGetState(WidgetRecord* w) { return SendMessageW(ButtonOf(w), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }

void ButtonSetState(WidgetRecord* w, int64_t state) {
  // A programmatic toggle is not the user's press.
  SuppressEvents();
  SendMessageW(ButtonOf(w), BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  ResumeEvents();
}

// Room for the caption in the button's font, with the platform's edge and padding, and the
// height of a standard button for captions of ordinary height.
int64_t ButtonRequiredSize(WidgetRecord* w, int32_t* width, int32_t* height) {
  HWND b = ButtonOf(w);
  const std::wstring caption = win32::NativeWindowText(b);
  HDC dc = GetDC(b);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(b, WM_GETFONT, 0, 0)));
  SIZE extent{};
  TEXTMETRICW metrics{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(b, dc);
  constexpr int32_t kEdge = 2;
  const int32_t wd = extent.cx + 2 * ScaleX(kEdge) + ScaleX(10);
  int32_t ht = std::max<int32_t>(extent.cy, metrics.tmHeight) + 2 * ScaleY(kEdge);
  if (ht >= ScaleY(18) && ht < ScaleY(24)) ht = std::min(static_cast<int32_t>(ht * 1.27), ScaleY(24));
  *width = wd;
  *height = ht;
  return 1;
}

constexpr WidgetKindOps kButtonOps = [] {
  WidgetKindOps ops{};
  ops.kind = WidgetKindButton;
  ops.size = sizeof(WidgetKindOps);
  ops.notify = &ButtonNotify;
  ops.get_state = &ButtonGetState;
  ops.set_state = &ButtonSetState;
  ops.required_size = &ButtonRequiredSize;
  return ops;
}();

}  // namespace

int64_t ButtonCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                     runtime::TextView text, uint32_t flags) {
  WidgetRecord* record = AcquireWidget(number);
  if (record == nullptr) return 0;
  HWND parent = Win32Container();
  if (parent == nullptr) return RegisterWidget(number, record, nullptr, nullptr);
  // The type bits and the push-like bit are the platform's own button styles.
  const DWORD style = flags & (kButtonTypeMask | kButtonPushLike);
  const ScaledRect g = ScaleRect(x, y, width, height);
  const std::wstring caption = WideFromText(text);
  HWND b = win32::NativeButtonCreate(parent, {g.x, g.y, g.width, g.height}, 0, caption.c_str(), style);
  return RegisterWidget(number, record, b, &kButtonOps);
}

}  // namespace ui
