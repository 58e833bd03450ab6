#include "ui/window.h"

#include <algorithm>
#include <cstdint>

#include "ui/backend.h"
#include "ui/event_queue.h"
#include "ui/layout.h"
#include "ui/widget.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"

namespace ui {

using runtime::ObjectNumber;

struct WindowFilter {};  // the window procedure's callbacks stand in for it on Windows

namespace {

runtime::ObjectRegistry* g_windows = nullptr;

constexpr wchar_t kWindowNumber[] = L"VX_WindowID";  // the window number plus one
// Set when the program chose the window's place, clear when the window system did.
constexpr wchar_t kPlacedByProgram[] = L"VX_Placed";

ObjectNumber NumberOf(void* context) { return static_cast<ObjectNumber>(reinterpret_cast<intptr_t>(context)); }

WindowRecord* RecordOf(void* context, HWND window) {
  WindowRecord* r = g_windows != nullptr ? runtime::FindRecord<WindowRecord>(g_windows, NumberOf(context)) : nullptr;
  return r != nullptr && r->window == window ? r : nullptr;
}

// One size report per window: a newer one replaces the one not yet fetched.
void PostSized(ObjectNumber n) {
  RemoveEvents(EventWindowSized, -1, n, -1);
  PostEvent(EventWindowSized, 0, n, 0);
}

void OnCloseAsked(void* context, HWND window) {
  if (RecordOf(context, window) == nullptr) return;
  // The application decides whether the window goes: the close box only asks.
  const ObjectNumber n = NumberOf(context);
  PostEvent(EventCloseWindow, n, n, 0);
  PostWakeUp();
}

void OnActivated(void* context, HWND window, bool active) {
  if (RecordOf(context, window) == nullptr) return;
  PostEvent(active ? EventWindowActivated : EventWindowDeactivated, 0, NumberOf(context), 0);
}

void OnMoved(void* context, HWND window) {
  WindowRecord* r = RecordOf(context, window);
  if (r == nullptr || r->ready == 0) return;
  PostEvent(EventWindowMoved, r->number, r->number, 0);
}

Size ClientSizeOf(HWND w) {
  RECT client{};
  GetClientRect(w, &client);
  return Size{client.right - client.left, client.bottom - client.top};
}

void OnSized(void* context, HWND window, win32::NativeSizeKind kind) {
  WindowRecord* r = RecordOf(context, window);
  if (r == nullptr) return;
  if (kind != win32::NativeSizeKind::Minimized) LayOutWindow(r->number, ClientSizeOf(window));
  if (r->ready == 0) return;
  const ObjectNumber n = r->number;
  switch (kind) {
    case win32::NativeSizeKind::Minimized:
      r->minimized_or_maximized = 1;
      PostEvent(EventWindowMinimized, 0, n, 0);
      break;
    case win32::NativeSizeKind::Maximized:
      r->minimized_or_maximized = 1;
      PostEvent(EventWindowMaximized, 0, n, 0);
      PostSized(n);
      break;
    case win32::NativeSizeKind::Restored:
      if (r->minimized_or_maximized != 0) {
        r->minimized_or_maximized = 0;
        PostEvent(EventWindowRestored, 0, n, 0);
      }
      PostSized(n);
      break;
    case win32::NativeSizeKind::Other: break;
  }
}

void OnRepainting(void* context, HWND window) {
  if (RecordOf(context, window) != nullptr) PostEvent(EventWindowRepaint, 0, NumberOf(context), 0);
}

void OnCancelAsked(void* context, HWND window) {
  if (RecordOf(context, window) == nullptr) return;
  const ObjectNumber n = NumberOf(context);
  PostEvent(EventWindowCancel, n, n, 0);
}

void OnDropped(void* context, HWND window, const std::vector<std::wstring>& paths) {
  if (RecordOf(context, window) == nullptr) return;
  const ObjectNumber n = NumberOf(context);
  std::vector<runtime::Text> texts;
  for (const std::wstring& path : paths) texts.push_back(TextFromWide(path));
  SetDroppedPaths(n, std::move(texts));
  PostEvent(EventWindowDrop, n, n, 0);
  PostWakeUp();
}

void OnClicked(void* context, HWND window, win32::NativeClickKind kind) {
  if (RecordOf(context, window) == nullptr) return;
  const int32_t code = kind == win32::NativeClickKind::LeftUp    ? EventWindowLeftClick
                       : kind == win32::NativeClickKind::RightUp ? EventWindowRightClick
                                                                 : EventWindowLeftDoubleClick;
  PostEvent(code, 0, NumberOf(context), 0);
}

bool OnControlMessage(void*, HWND, const win32::NativeControlMessageRecord& m, LRESULT* result) {
  return Win32OfferParentMessage(m.control, m.message, m.wparam, m.lparam, result);
}

void OnDestroyed(void* context, HWND window) {
  // New widgets must not be made inside a window that is gone.
  if (WidgetContainer() == window) SetWidgetContainer(nullptr);
  const ObjectNumber n = NumberOf(context);
  if (RecordOf(context, window) != nullptr) runtime::ReleaseObject(g_windows, n);
  RemoveEvents(-1, -1, n, -1);
}

const win32::NativeWindowCallbacks kCallbacks = {
    OnCloseAsked,     OnActivated, OnMoved, OnSized,     OnRepainting,  OnClicked,
    OnControlMessage, nullptr,     nullptr, OnDestroyed, OnCancelAsked, OnDropped,
};

Rect RectOf(const RECT& r) { return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

Rect OuterOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return RectOf(r);
}

// The work area (or the whole area) of the monitor that holds `point`, of the primary one when none does.
Rect MonitorAreaAt(POINT point, bool work) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY), &info)) return Rect{};
  return RectOf(work ? info.rcWork : info.rcMonitor);
}

void MoveOuter(HWND w, int x, int y) {
  SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Moves a window placed at its given corner left and up as far as its frame needs to lie inside the
// work area of its monitor (a designed place may be off a small laptop screen); too big for the
// area, it keeps its top-left corner inside.
void KeepOnScreen(HWND w, Point wanted) {
  const Rect area = MonitorAreaAt(POINT{wanted.x, wanted.y}, true);
  if (area.width <= 0 || area.height <= 0) return;
  const Rect outer = OuterOf(w);
  const Rect fit =
      FitIntoArea(Rect{wanted.x, wanted.y, outer.width, outer.height}, Size{outer.width, outer.height}, area);
  if (fit.x != outer.x || fit.y != outer.y) MoveOuter(w, fit.x, fit.y);
}

void CentreOnScreen(HWND w) {
  const Rect outer = OuterOf(w);
  const Rect sg = MonitorAreaAt(POINT{outer.x + outer.width / 2, outer.y + outer.height / 2}, false);
  MoveOuter(w, sg.x + (sg.width - std::min(sg.width, outer.width)) / 2,
            sg.y + (sg.height - std::min(sg.height, outer.height)) / 2);
}

void CentreOnParent(HWND w, HWND parent) {
  const Rect pg = OuterOf(parent);
  const Rect outer = OuterOf(w);
  MoveOuter(w, std::max(0, pg.x + (pg.width - outer.width) / 2), std::max(0, pg.y + (pg.height - outer.height) / 2));
}

// The platform style bits of WindowCreate's flags, with the runtime's own bits taken out.
DWORD StyleOf(uint32_t flags) {
  uint32_t style = flags;
  if ((flags & ~(kWindowNotContainer | kWindowHidden | kWindowCentreOnScreen | kWindowCentreOnParent)) == 0) {
    style |= kStyleCaption;
  }
  if (flags & kWindowTool) {
    style &= ~(kStyleMinimizeBox | kStyleMaximizeBox | kStyleMinimize | kStyleMaximize);
    style |= kStyleCaption;
  }
  style &= ~(0xFu | kWindowNoActivate | kWindowHidden);
  // Children are left out of the window's own painting, so a repaint is of its own area only.
  return static_cast<DWORD>(style) | WS_CLIPCHILDREN;
}

void Show(HWND w, DWORD style, bool no_activate) {
  int how = no_activate ? SW_SHOWNOACTIVATE : SW_SHOW;
  if (style & kStyleMaximize) how = SW_SHOWMAXIMIZED;
  if (style & kStyleMinimize) how = no_activate ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED;
  ShowWindow(w, how);
  if (!no_activate) SetForegroundWindow(w);
  UpdateWindow(w);
}

}  // namespace

bool InitWindows() {
  if (!Win32ToolkitStarted()) return false;
  SetDisplayDensity(static_cast<int32_t>(win32::NativeScreenDpiX()), static_cast<int32_t>(win32::NativeScreenDpiY()));
  if (g_windows == nullptr) {
    g_windows = runtime::CreateRecordRegistry<WindowRecord>(16, &WindowDestroy);
    if (g_windows == nullptr) return false;
  }
  return true;
}

void ShutdownWindows() {
  if (g_windows != nullptr) WindowDestroy(runtime::AnyId);
}

int64_t WindowCreate(ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height, runtime::TextView title,
                     uint32_t flags, void* parent_window) {
  auto* parent = static_cast<HWND>(parent_window);
  if (g_windows == nullptr) return 0;
  if (number < 0 && number != runtime::AnyId) return 0;
  WindowRecord* r = runtime::AcquireRecord<WindowRecord>(g_windows, number);
  if (r == nullptr) return 0;
  const ObjectNumber n = number == runtime::AnyId ? runtime::NumberOfRecord(r) : number;

  const bool centre_screen = (flags & kWindowCentreOnScreen) != 0;
  const bool centre_parent = (flags & kWindowCentreOnParent) != 0;
  const bool hidden = (flags & kWindowHidden) != 0;
  const bool no_activate = (flags & kWindowNoActivate) != 0;
  const DWORD style = StyleOf(flags);
  const bool platform_places =
      x == kWindowPositionIgnore || (y == kWindowPositionIgnore && !centre_screen && !centre_parent);
  const bool placed_at_corner = !centre_screen && !centre_parent && !platform_places;
  const std::wstring text = WideFromText(title);
  // Shown windows take their minimised or maximised state when shown; hidden ones keep it in
  // their style until then.
  const DWORD create_style = hidden ? style : style & ~static_cast<DWORD>(kStyleMaximize | kStyleMinimize);
  const win32::NativeWindowRecord wanted = {kWin32WindowClass,
                                            text.c_str(),
                                            platform_places ? CW_USEDEFAULT : ScaleX(x),
                                            platform_places ? CW_USEDEFAULT : ScaleY(y),
                                            ScaleX(width),
                                            ScaleY(height),
                                            create_style,
                                            static_cast<DWORD>((flags & kWindowTool) ? WS_EX_TOOLWINDOW : 0),
                                            parent};
  r->number = n;
  r->ready = 0;
  r->minimized_or_maximized = 0;
  r->accelerator_count = 2;
  r->filter = nullptr;
  r->window = reinterpret_cast<void*>(1);  // taken while the window is made; the real handle follows
  HWND w = win32::NativeWindowCreate(wanted, &kCallbacks, reinterpret_cast<void*>(static_cast<intptr_t>(n)));
  if (w == nullptr) {
    runtime::ReleaseObject(g_windows, n);
    return 0;
  }
  r->window = w;
  win32::NativeSetNumber(w, kWindowNumber, n + 1);
  win32::NativeAcceptDrops(w);
  if (!platform_places) win32::NativeSetNumber(w, kPlacedByProgram, 1);

  if (centre_screen) {
    CentreOnScreen(w);
  } else if (centre_parent) {
    if (parent != nullptr) CentreOnParent(w, parent);
  } else if (placed_at_corner) {
    KeepOnScreen(w, Point{ScaleX(x), ScaleY(y)});
  }
  if (!hidden) Show(w, style, no_activate);
  if (style & (kStyleMaximize | kStyleMinimize)) r->minimized_or_maximized = 1;
  if ((flags & kWindowNotContainer) == 0) SetWidgetContainer(w);
  r->ready = 1;
  return number == runtime::AnyId ? n : static_cast<int64_t>(reinterpret_cast<intptr_t>(w));
}

void WindowDestroy(ObjectNumber number) {
  if (g_windows == nullptr) return;
  if (number == runtime::AnyId) {
    runtime::ReleaseAllObjects(g_windows);
    return;
  }
  WindowRecord* r = runtime::FindRecord<WindowRecord>(g_windows, number);
  if (r == nullptr) return;
  auto* w = static_cast<HWND>(r->window);
  if (HWND owner = GetWindow(w, GW_OWNER); owner != nullptr && IsWindowVisible(w)) SetActiveWindow(owner);
  // Destroying the window destroys its controls first; its last message gives the number back.
  if (IsWindow(w)) DestroyWindow(w);
  RemoveEvents(-1, -1, number, -1);
  // Should the window have been replaced under this number meanwhile, leave the new one alone.
  r = runtime::FindRecord<WindowRecord>(g_windows, number);
  if (r != nullptr && r->window == w) runtime::ReleaseObject(g_windows, number);
}

void* WindowWidget(ObjectNumber number) {
  if (g_windows == nullptr) return nullptr;
  WindowRecord* r = runtime::FindRecord<WindowRecord>(g_windows, number);
  return r != nullptr && r->window != reinterpret_cast<void*>(1) ? r->window : nullptr;
}

Rect BackendControlRect(const void* control) {
  HWND c = static_cast<HWND>(const_cast<void*>(control));
  RECT r{};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
  return RectOf(r);
}

void BackendMoveControl(void* control, Rect rect) {
  SetWindowPos(static_cast<HWND>(control), nullptr, rect.x, rect.y, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

Size BackendClientSize(const void* window) { return ClientSizeOf(static_cast<HWND>(const_cast<void*>(window))); }

void BackendKeepWindowAtLeast(void* window, Size minimum) {
  auto* w = static_cast<HWND>(window);
  win32::NativeSetMinimumClientSize(w, minimum.width, minimum.height);
  const Rect outer = OuterOf(w);
  const Size client = ClientSizeOf(w);
  const Size frame{outer.width - client.width, outer.height - client.height};
  const Rect area = MonitorAreaAt(POINT{outer.x, outer.y}, true);
  if (area.width <= 0 || area.height <= 0) return;
  const Rect fit = FitIntoArea(outer, Size{minimum.width + frame.width, minimum.height + frame.height}, area);
  if (fit != outer) SetWindowPos(w, nullptr, fit.x, fit.y, fit.width, fit.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int64_t WindowNumberOf(const void* control) {
  for (HWND h = static_cast<HWND>(const_cast<void*>(control)); h != nullptr; h = GetAncestor(h, GA_PARENT)) {
    if (h == GetDesktopWindow()) break;
    const int64_t v = win32::NativeNumber(h, kWindowNumber);
    if (v != 0) return v - 1;
  }
  return -1;
}

}  // namespace ui
