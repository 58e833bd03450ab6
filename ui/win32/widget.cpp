// The Win32 side of widget registration: the subclass that offers a control's messages to its kind,
// the widget number and font on the control, and noticing when the control is destroyed.
#include <map>
#include <utility>

#include "ui/backend.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"
#include "ui/widget.h"

namespace ui {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

namespace {

// The widget number plus one, so that a number of 0 is told from no number at all; 0 again while
// the control is being destroyed, which silences its handlers.
constexpr wchar_t kWidgetNumber[] = L"VX_ID";
constexpr UINT_PTR kSubclassId = 0x5658;  // "VX"

HFONT g_font = nullptr;
std::map<HWND, std::vector<int64_t>> g_dragged;

WidgetRecord* LiveRecordOf(HWND control) {
  const int64_t n = Win32ControlNumber(control);
  if (n == -1) return nullptr;
  WidgetRecord* r = FindWidget(n);
  return r != nullptr && r->control == control ? r : nullptr;
}

// Offers one message to the control's kind; true when the kind took it.
bool Offer(WidgetRecord* r, Win32Message* m) {
  if (r == nullptr || r->ops == nullptr || r->ops->notify == nullptr) return false;
  return r->ops->notify(r, m->control, m) != kNotHandled;
}

LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR number) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, ControlProc, kSubclassId);
    RemovePropW(control, kWidgetNumber);
    g_dragged.erase(control);
    const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
    ControlDestroyed(static_cast<ObjectNumber>(number), control);
    return result;
  }
  Win32Message m{control, message, wparam, lparam, false, 0};
  if (Offer(LiveRecordOf(control), &m)) return m.result;
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

HFONT Win32WidgetFont() { return g_font; }

int64_t Win32ControlNumber(HWND control) {
  if (control == nullptr || !IsWindow(control)) return -1;
  const int64_t stored = win32::NativeNumber(control, kWidgetNumber);
  return stored == 0 ? -1 : stored - 1;
}

bool Win32OfferParentMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  Win32Message m{control, message, wparam, lparam, true, 0};
  if (!Offer(LiveRecordOf(control), &m)) return false;
  *result = m.result;
  return true;
}

void Win32SetDraggedItems(HWND control, std::vector<int64_t> items) { g_dragged[control] = std::move(items); }

std::vector<int64_t> Win32DraggedItems(HWND control) {
  const auto it = g_dragged.find(control);
  return it != g_dragged.end() ? it->second : std::vector<int64_t>{};
}

bool BackendStartWidgets() {
  if (!Win32ToolkitStarted()) return false;
  BackendStopWidgets();
  g_font = win32::NativeMessageFont(win32::NativeScreenDpiY());
  return true;
}

void BackendStopWidgets() {
  // The stock fallback font is left alone by DeleteObject.
  if (g_font != nullptr) DeleteObject(g_font);
  g_font = nullptr;
}

void BackendAttachControl(WidgetRecord* record) {
  auto* control = static_cast<HWND>(record->control);
  const ObjectNumber n = record->number;
  win32::NativeSetNumber(control, kWidgetNumber, n + 1);
  if (g_font != nullptr) win32::NativeSetFont(control, g_font);
  SetWindowSubclass(control, ControlProc, kSubclassId, static_cast<DWORD_PTR>(n));
}

int64_t BackendControlNumber(const void* control) {
  return Win32ControlNumber(static_cast<HWND>(const_cast<void*>(control)));
}

void BackendDestroyControl(void* control) {
  auto* c = static_cast<HWND>(control);
  if (c == nullptr || !IsWindow(c)) return;
  win32::NativeRemoveNumber(c, kWidgetNumber);  // silences its handlers from here on
  DestroyWindow(c);
}

Text BackendControlText(void* control) { return TextFromWide(win32::NativeWindowText(static_cast<HWND>(control))); }

void BackendSetControlText(void* control, TextView text) {
  SetWindowTextW(static_cast<HWND>(control), WideFromText(text).c_str());
}

void BackendEnableControl(void* control, bool enabled) {
  auto* c = static_cast<HWND>(control);
  // A disabled control keeps the focus on Windows, where the keyboard then reaches nothing: hand it
  // on first, as a dialog does.
  HWND focus = GetFocus();
  if (!enabled && focus != nullptr && (focus == c || IsChild(c, focus))) {
    win32::NativeCycleFocus(GetAncestor(c, GA_ROOT), false);
  }
  EnableWindow(c, enabled);
}

bool BackendControlEnabled(const void* control) {
  return IsWindowEnabled(static_cast<HWND>(const_cast<void*>(control))) != FALSE;
}

void BackendFocusControl(void* control) { SetFocus(static_cast<HWND>(control)); }

bool BackendControlHasFocus(const void* control) {
  auto* c = static_cast<HWND>(const_cast<void*>(control));
  HWND focus = GetFocus();
  return focus != nullptr && (focus == c || IsChild(c, focus));
}

}  // namespace ui
