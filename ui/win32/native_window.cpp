#include "ui/win32/native_window.h"

#include <shellapi.h>

namespace ui::win32 {
namespace {

struct WindowBinding {
  const NativeWindowCallbacks* callbacks;
  void* context;
};

// Windows 10's per-monitor entry points; older systems and some wine releases lack them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenCaps(int index) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, index) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

WindowBinding* BindingOf(HWND window) {
  return reinterpret_cast<WindowBinding*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK NativeWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

constexpr wchar_t kMinimumWidth[] = L"VX_MinWidth";  // client pixels
constexpr wchar_t kMinimumHeight[] = L"VX_MinHeight";

// The control that sent a message to its parent, or null when the message is not from one.
HWND SendingControl(UINT message, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: return reinterpret_cast<HWND>(lparam);
    case WM_NOTIFY: return lparam ? reinterpret_cast<const NMHDR*>(lparam)->hwndFrom : nullptr;
    default: return nullptr;
  }
}

NativeSizeKind SizeKindOf(WPARAM wparam) {
  switch (wparam) {
    case SIZE_RESTORED: return NativeSizeKind::Restored;
    case SIZE_MINIMIZED: return NativeSizeKind::Minimized;
    case SIZE_MAXIMIZED: return NativeSizeKind::Maximized;
    default: return NativeSizeKind::Other;
  }
}

void OnActivate(HWND window, bool active, const WindowBinding& b) {
  // The focused control is kept across deactivation, so that coming back lands where the user was.
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) SetPropW(window, L"VX_Focus", focus);
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  } else if (HWND focus = static_cast<HWND>(GetPropW(window, L"VX_Focus")); focus && IsWindow(focus)) {
    SetFocus(focus);
  }
  if (b.callbacks->Activated) b.callbacks->Activated(b.context, window, active);
}

void OnDensityChanged(HWND window, WPARAM wparam, LPARAM lparam, const WindowBinding& b) {
  const RECT* r = reinterpret_cast<const RECT*>(lparam);
  SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (b.callbacks->DensityChanged) b.callbacks->DensityChanged(b.context, window, HIWORD(wparam));
}

void ForwardToChildren(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    SendMessageW(c, message, wparam, lparam);
  }
}

// The outer size of the smallest client area allowed, as WM_GETMINMAXINFO asks for it; false (the
// system's answer) for a window without one.
bool KeepMinimumSize(HWND window, MINMAXINFO* info) {
  RECT outer = {0, 0, static_cast<LONG>(NativeNumber(window, kMinimumWidth)),
                static_cast<LONG>(NativeNumber(window, kMinimumHeight))};
  if (outer.right <= 0 || outer.bottom <= 0) return false;
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  info->ptMinTrackSize.x = outer.right - outer.left;
  info->ptMinTrackSize.y = outer.bottom - outer.top;
  return true;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(static_cast<size_t>(length) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
    if (!path.empty()) paths.push_back(std::move(path));
  }
  DragFinish(drop);
  return paths;
}

// Returns true with *result when the message was ours to answer.
bool Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const WindowBinding& b, LRESULT* result) {
  const NativeWindowCallbacks& c = *b.callbacks;
  *result = 0;
  if (HWND control = SendingControl(message, lparam)) {
    if (!c.ControlMessage) return false;
    return c.ControlMessage(b.context, window, {control, message, wparam, lparam}, result);
  }
  switch (message) {
    case WM_CLOSE:
      if (c.CloseAsked) c.CloseAsked(b.context, window);
      return true;
    case WM_ACTIVATE:
      OnActivate(window, LOWORD(wparam) != WA_INACTIVE, b);
      *result = 1;
      return true;
    case WM_SIZE:
      if (c.Sized) c.Sized(b.context, window, SizeKindOf(wparam));
      return true;
    case WM_MOVE:
      if (c.Moved) c.Moved(b.context, window);
      return true;
    case WM_ERASEBKGND:
      if (c.Repainting) c.Repainting(b.context, window);
      return false;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
      if (c.Clicked) {
        c.Clicked(b.context, window,
                  message == WM_LBUTTONUP   ? NativeClickKind::LeftUp
                  : message == WM_RBUTTONUP ? NativeClickKind::RightUp
                                            : NativeClickKind::LeftDouble);
      }
      return true;
    case WM_DEVICECHANGE:
      if (c.DeviceChanged) c.DeviceChanged(b.context, window, wparam, lparam);
      *result = TRUE;
      return true;
    case WM_DPICHANGED: OnDensityChanged(window, wparam, lparam, b); return true;
    case WM_GETMINMAXINFO: return KeepMinimumSize(window, reinterpret_cast<MINMAXINFO*>(lparam));
    case WM_DROPFILES: {
      const std::vector<std::wstring> paths = DroppedPaths(reinterpret_cast<HDROP>(wparam));
      if (c.Dropped && !paths.empty()) c.Dropped(b.context, window, paths);
      return true;
    }
    case WM_SYSCOLORCHANGE: ForwardToChildren(window, message, wparam, lparam); return false;
    default: return false;
  }
}

// Set when the window being created has taken its binding: from then on WM_NCDESTROY frees it.
thread_local bool g_bound = false;

LRESULT CALLBACK NativeWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    g_bound = true;
  }
  WindowBinding* b = BindingOf(window);
  if (message == WM_NCDESTROY && b) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    RemovePropW(window, L"VX_Focus");
    RemovePropW(window, kMinimumWidth);
    RemovePropW(window, kMinimumHeight);
    if (b->callbacks->Destroyed) b->callbacks->Destroyed(b->context, window);
    delete b;
    return 0;
  }
  LRESULT result = 0;
  if (b && Dispatch(window, message, wparam, lparam, *b, &result)) return result;
  return DefWindowProcW(window, message, wparam, lparam);
}

HANDLE g_wake = nullptr;

// Tab and Shift+Tab in one of our windows, whichever control has the focus.
bool TakeTabKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!NativeIsOurWindow(root)) return false;
  NativeCycleFocus(root, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  return true;
}

// Escape in one of our windows, whichever control has the focus: a list or tree would swallow it.
bool TakeEscapeKey(const MSG& msg) {
  // With no control focused the window itself gets the key, as a system key without Alt.
  const bool system_key = msg.message == WM_SYSKEYDOWN && (msg.lParam & (LPARAM{1} << 29)) == 0;
  if ((msg.message != WM_KEYDOWN && !system_key) || msg.wParam != VK_ESCAPE) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!NativeIsOurWindow(root)) return false;
  const WindowBinding* b = BindingOf(root);
  if (b && b->callbacks->CancelAsked) b->callbacks->CancelAsked(b->context, root);
  return true;
}

}  // namespace

bool NativeRegisterWindowClass(const wchar_t* class_name) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = NativeWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  // The program's own icon is its first icon resource; programs without one (tests) get the default.
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = class_name;
  return RegisterClassExW(&wc) != 0;
}

void NativeUnregisterWindowClass(const wchar_t* class_name) { UnregisterClassW(class_name, GetModuleHandleW(nullptr)); }

HWND NativeWindowCreate(const NativeWindowRecord& wanted, const NativeWindowCallbacks* callbacks, void* context) {
  if (!wanted.class_name || !callbacks) return nullptr;
  const DWORD style = wanted.style & ~static_cast<DWORD>(WS_VISIBLE);
  RECT outer = {0, 0, wanted.client_width, wanted.client_height};
  static const AdjustForDpiFn adjust = User32Entry<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&outer, style, FALSE, wanted.ex_style, NativeScreenDpiX())) {
    AdjustWindowRectEx(&outer, style, FALSE, wanted.ex_style);
  }
  auto* binding = new WindowBinding{callbacks, context};
  g_bound = false;
  HWND window = CreateWindowExW(wanted.ex_style, wanted.class_name, wanted.title ? wanted.title : L"", style, wanted.x,
                                wanted.y, outer.right - outer.left, outer.bottom - outer.top, wanted.owner, nullptr,
                                GetModuleHandleW(nullptr), binding);
  if (!window && !g_bound) delete binding;
  return window;
}

UINT NativeWindowDpi(HWND window) {
  static const GetDpiForWindowFn for_window = User32Entry<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = for_window && window ? for_window(window) : 0;
  return dpi ? dpi : NativeScreenDpiX();
}

UINT NativeScreenDpiX() { return ScreenCaps(LOGPIXELSX); }
UINT NativeScreenDpiY() { return ScreenCaps(LOGPIXELSY); }

int NativeScale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

void NativeSetMinimumClientSize(HWND window, int width, int height) {
  NativeSetNumber(window, kMinimumWidth, width);
  NativeSetNumber(window, kMinimumHeight, height);
}

void NativeAcceptDrops(HWND window) { DragAcceptFiles(window, TRUE); }

bool NativeIsOurWindow(HWND window) {
  // Subclassing (a folder tree watching the window's device changes) replaces the window's own
  // procedure; the class keeps ours.
  return window && reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)) == NativeWindowProc;
}

bool NativeSetNumber(HWND window, const wchar_t* name, int64_t value) {
  return SetPropW(window, name, reinterpret_cast<HANDLE>(static_cast<intptr_t>(value))) != 0;
}

int64_t NativeNumber(HWND window, const wchar_t* name) {
  return static_cast<int64_t>(reinterpret_cast<intptr_t>(GetPropW(window, name)));
}

void NativeRemoveNumber(HWND window, const wchar_t* name) { RemovePropW(window, name); }

HWND NativeCycleFocus(HWND window, bool backward) {
  // Children are kept in creation order as long as nobody changes their z-order, which we never do.
  HWND stops[256];
  int count = 0, focused = -1;
  HWND focus = GetFocus();
  for (HWND c = GetWindow(window, GW_CHILD); c && count < 256; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    if (!(style & WS_TABSTOP) || !IsWindowEnabled(c) || !IsWindowVisible(c)) continue;
    if (focus && (c == focus || IsChild(c, focus))) focused = count;
    stops[count++] = c;
  }
  if (count == 0) return nullptr;
  int next;
  if (backward) {
    next = focused > 0 ? focused - 1 : count - 1;
  } else {
    next = focused < 0 || focused + 1 >= count ? 0 : focused + 1;
  }
  SetFocus(stops[next]);
  return stops[next];
}

bool NativeInitMessageLoop() {
  if (!g_wake) g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return g_wake != nullptr;
}

void NativeShutdownMessageLoop() {
  if (g_wake) CloseHandle(g_wake);
  g_wake = nullptr;
}

NativeWaitResult NativeWaitMessages(DWORD timeout_ms) {
  const DWORD handles = g_wake ? 1 : 0;
  const DWORD woke = MsgWaitForMultipleObjectsEx(handles, &g_wake, timeout_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  NativeWaitResult result = NativeWaitResult::Messages;
  if (handles && woke == WAIT_OBJECT_0) result = NativeWaitResult::WakeUp;
  if (woke == WAIT_TIMEOUT) result = NativeWaitResult::Timeout;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return NativeWaitResult::Quit;
    if (TakeTabKey(msg) || TakeEscapeKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return result;
}

void NativeWakeWait() {
  if (g_wake) SetEvent(g_wake);
}

}  // namespace ui::win32
