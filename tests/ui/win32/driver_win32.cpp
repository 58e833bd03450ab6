// The test driver over Win32: input through the system's queue (SendInput), so that capture, focus and
// key state follow as for a user; wine delivers it to the foreground window only.
#include "tests/ui/driver.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "ui/event_queue.h"
#include "ui/toolkit.h"
#include "ui/widget.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"
#include "ui/window.h"

namespace ui_driver {
namespace {

using ui::Win32Control;
using ui::Win32Window;
namespace native = ui::win32;

// Handles every message that is waiting and what follows from it, until the thread is idle.
void PumpIdle() {
  bool woke = false;
  for (int i = 0; i < 200; ++i) {
    const native::NativeWaitResult r = native::NativeWaitMessages(15);
    if (r == native::NativeWaitResult::WakeUp) woke = true;
    if (r == native::NativeWaitResult::Timeout) break;
  }
  // A wake-up belongs to the program's next wait, not to the driver's pumping.
  if (woke) native::NativeWakeWait();
}

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  return window != nullptr && GetClassNameW(window, found, 64) > 0 && _wcsicmp(found, name) == 0;
}

ui::Rect RectOf(const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }
void Foreground(HWND target) {
  HWND root = GetAncestor(target, GA_ROOT);
  if (root != nullptr && GetForegroundWindow() != root) {
    SetForegroundWindow(root);
    PumpIdle();
  }
}

void KeyEvent(WORD key, DWORD flags) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

// Where and when the last press went: a press close to it in place and time would be the second
// half of a double-click, so separate presses wait the double-click time out.
POINT g_last_press{-100000, -100000};
ULONGLONG g_last_press_time = 0;

void BeforePress(POINT p) {
  const bool close_by = std::abs(p.x - g_last_press.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                        std::abs(p.y - g_last_press.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
  const ULONGLONG apart = static_cast<ULONGLONG>(GetDoubleClickTime()) + 20;
  while (close_by && GetTickCount64() < g_last_press_time + apart) PumpIdle();
  g_last_press = p;
  g_last_press_time = GetTickCount64();
}

// Mouse events (button flags, 0 for a move) at a point of `h`'s client area; a sequence that starts
// with a press is a new press.
void MouseAt(HWND h, ui::Point at, const std::vector<DWORD>& events) {
  Foreground(h);
  POINT p{at.x, at.y};
  ClientToScreen(h, &p);
  if (events.front() & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN)) BeforePress(p);
  for (DWORD flags : events) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(p.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
  }
  PumpIdle();
}

void ClickOn(HWND h, ui::Point at, Mouse button, int times) {
  const DWORD down = button == Mouse::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
  const DWORD up = button == Mouse::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
  MouseAt(h, at, times == 2 ? std::vector<DWORD>{down, up, down, up} : std::vector<DWORD>{down, up});
}

// The virtual key of each Key, in the enum's order.
constexpr WORD kKeys[] = {VK_TAB, VK_TAB, VK_RETURN, VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_ESCAPE};

void SendKey(HWND target, Key key) {
  Foreground(target);
  const WORD vk = kKeys[static_cast<int>(key)];
  if (key == Key::ShiftTab) KeyEvent(VK_SHIFT, 0);
  KeyEvent(vk, 0);
  KeyEvent(vk, KEYEVENTF_KEYUP);
  if (key == Key::ShiftTab) KeyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
  PumpIdle();
}

void SystemCommand(int64_t window, WPARAM command) {
  if (HWND w = Win32Window(window)) SendMessageW(w, WM_SYSCOMMAND, command, 0);
  PumpIdle();
}

// Tasks run from thread timers: these fire inside whatever message loop runs then, a message
// box's own included.
std::map<UINT_PTR, std::function<void()>> g_tasks;

void CALLBACK RunTask(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto task = g_tasks.extract(id);
  if (!task.empty()) task.mapped()();
}

void After(UINT ms, std::function<void()> task) {
  const UINT_PTR id = SetTimer(nullptr, 0, ms, RunTask);
  if (id != 0) g_tasks[id] = std::move(task);
}

std::vector<HWND> VisibleThreadWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM list) {
        if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

runtime::Text TextOf(HWND h) { return ui::TextFromWide(native::NativeWindowText(h)); }

enum class Kind { None, ListBox, ListView, TreeView };

Kind KindOf(HWND control) {
  if (ClassIs(control, WC_LISTVIEWW)) return Kind::ListView;
  if (ClassIs(control, WC_TREEVIEWW)) return Kind::TreeView;
  return ClassIs(control, L"ListBox") ? Kind::ListBox : Kind::None;
}

template <typename L>
LRESULT Ask(HWND control, UINT message, WPARAM w, L l) {
  return control != nullptr ? SendMessageW(control, message, w, (LPARAM)(l)) : 0;
}

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, relation, item));
}

HTREEITEM NextInPreOrder(HWND tree, HTREEITEM item) {
  if (HTREEITEM child = Next(tree, item, TVGN_CHILD)) return child;
  for (; item; item = Next(tree, item, TVGN_PARENT)) {
    if (HTREEITEM sibling = Next(tree, item, TVGN_NEXT)) return sibling;
  }
  return nullptr;
}

// Tree items are counted in pre-order over every item the control holds.
HTREEITEM TreeItemAt(HWND tree, int64_t position) {
  HTREEITEM item = position >= 0 ? Next(tree, nullptr, TVGN_ROOT) : nullptr;
  for (int64_t i = 0; item && i < position; ++i) item = NextInPreOrder(tree, item);
  return item;
}

int64_t PositionOf(HWND tree, HTREEITEM target) {
  int64_t position = 0;
  for (HTREEITEM i = Next(tree, nullptr, TVGN_ROOT); i; i = NextInPreOrder(tree, i), ++position) {
    if (i == target) return position;
  }
  return -1;
}

HWND HeaderOf(int64_t widget) { return reinterpret_cast<HWND>(Ask(Win32Control(widget), LVM_GETHEADER, 0, 0)); }

// The window's shown drive-not-ready prompt; null when none.
HWND DrivePromptOf(int64_t window) {
  for (HWND w : VisibleThreadWindows()) {
    if (ClassIs(w, L"SceneBuilderDrivePrompt") && GetWindow(w, GW_OWNER) == Win32Window(window)) return w;
  }
  return nullptr;
}

}  // namespace

bool StartForTests(int& argc, char** argv) {
  return ui::StartToolkit(argc, argv, nullptr) && ui::InitEvents() && ui::InitWindows() && ui::InitWidgets();
}

void StopForTests() {
  ui::ShutdownWidgets();
  ui::ShutdownWindows();
  ui::ShutdownEvents();
  ui::StopToolkit();
}

void Click(int64_t widget, Mouse button) {
  RECT r{};
  GetClientRect(Win32Control(widget), &r);
  ClickAt(widget, ui::Point{r.right / 2, r.bottom / 2}, button);
}

void ClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(Win32Control(widget), at, button, 1); }
void DoubleClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(Win32Control(widget), at, button, 2); }

void ControlClickAt(int64_t widget, ui::Point at) {
  Foreground(Win32Control(widget));
  KeyEvent(VK_CONTROL, 0);
  ClickAt(widget, at);
  KeyEvent(VK_CONTROL, KEYEVENTF_KEYUP);
  PumpIdle();
}

void DragAt(int64_t widget, ui::Point from, ui::Point to) {
  MouseAt(Win32Control(widget), from, {MOUSEEVENTF_LEFTDOWN});
  MouseAt(Win32Control(widget), to, {0});
  MouseAt(Win32Control(widget), to, {MOUSEEVENTF_LEFTUP});
}

int32_t DragDistance() { return GetSystemMetrics(SM_CXDRAG); }

void PressKey(int64_t window, Key key) {
  HWND w = Win32Window(window);
  HWND f = GetFocus();
  SendKey(f != nullptr && GetAncestor(f, GA_ROOT) == w ? f : w, key);
}

void PressKeyOn(int64_t widget, Key key) {
  HWND c = Win32Control(widget);
  Foreground(c);
  SetFocus(c);
  SendKey(c, key);
}

void RequestClose(int64_t window) { SystemCommand(window, SC_CLOSE); }
void MaximizeWindow(int64_t window) { SystemCommand(window, SC_MAXIMIZE); }
void MinimizeWindow(int64_t window) { SystemCommand(window, SC_MINIMIZE); }
void RestoreWindow(int64_t window) { SystemCommand(window, SC_RESTORE); }

void GrowWindow(int64_t window, int32_t wider) {
  const ui::Rect r = WindowFrame(window);
  SetWindowPos(Win32Window(window), nullptr, 0, 0, r.width + wider, r.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpIdle();
}

void ResizeWindow(int64_t window, ui::Size size) {
  HWND w = Win32Window(window);
  RECT outer = {0, 0, size.width, size.height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(w, GWL_EXSTYLE)));
  // The system holds a dragged frame to the size the window asks for; SetWindowPos alone would not.
  MINMAXINFO limits = {};
  SendMessageW(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  const int width = std::max<int>(outer.right - outer.left, limits.ptMinTrackSize.x);
  const int height = std::max<int>(outer.bottom - outer.top, limits.ptMinTrackSize.y);
  SetWindowPos(w, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpIdle();
}

void DropPaths(int64_t window, const std::vector<std::string>& paths) {
  // A DROPFILES block as the shell hands it over: the header, then the wide paths, each ended, and
  // an empty one after the last.
  std::wstring names;
  for (const std::string& path : paths) {
    names += ui::WideFromText(runtime::TextFromUtf8(path));
    names.push_back(L'\0');
  }
  names.push_back(L'\0');
  const size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (block == nullptr) return;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  PostMessageW(Win32Window(window), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
  PumpIdle();
}

bool ActivateWindow(int64_t window) {
  HWND w = Win32Window(window);
  SetForegroundWindow(w);
  return WaitUntil([w] { return GetForegroundWindow() == w && GetActiveWindow() == w; });
}

void FocusWidget(int64_t widget) {
  SetFocus(Win32Control(widget));
  PumpIdle();
}

void ShowWidget(int64_t widget, bool shown) { ShowWindow(Win32Control(widget), shown ? SW_SHOW : SW_HIDE); }
void EnableWidget(int64_t widget, bool enabled) { ::EnableWindow(Win32Control(widget), enabled ? TRUE : FALSE); }

void Process(int ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0));
  PumpIdle();
  while (GetTickCount64() < end) PumpIdle();
}

bool WaitUntil(const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + 5000;
  while (!done() && GetTickCount64() < end) PumpIdle();
  return done();
}

bool WaitForWindowShown(int64_t window) {
  return WaitUntil([window] { return WindowVisible(window); });
}

void RunSoon(std::function<void()> task) { After(0, std::move(task)); }

// The screen holds what the window system drew, frame included; a 24-bit bottom-up BMP needs no
// library to write.
bool SaveWindowPicture(int64_t window, const std::string& path) {
  const ui::Rect frame = WindowFrame(window);
  if (frame.width <= 0 || frame.height <= 0) return false;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), frame.width, frame.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, frame.width, frame.height, screen, frame.x, frame.y, SRCCOPY);
  SelectObject(memory, old);
  GdiFlush();
  const DWORD pixels = static_cast<DWORD>((frame.width * 3 + 3) / 4 * 4 * frame.height);
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const BITMAPFILEHEADER file = {0x4D42, headers + pixels, 0, 0, headers};
  std::FILE* out = picture != nullptr ? std::fopen(path.c_str(), "wb") : nullptr;
  bool saved = out != nullptr && std::fwrite(&file, sizeof file, 1, out) == 1 &&
               std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
               std::fwrite(bits, 1, pixels, out) == pixels;
  if (out != nullptr) saved = std::fclose(out) == 0 && saved;
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

int64_t ShownInkPixels(int64_t widget) {
  HWND c = Win32Control(widget);
  RECT client{};
  POINT origin{0, 0};
  if (c == nullptr || !GetClientRect(c, &client) || !ClientToScreen(c, &origin)) return 0;
  const int width = client.right, height = client.bottom;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  GdiFlush();
  int64_t ink = 0;
  for (int i = 0; bits != nullptr && i < width * height; ++i) {
    const uint32_t p = static_cast<const uint32_t*>(bits)[i];
    ink += ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3 < 128 ? 1 : 0;
  }
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ink;
}

void AnswerNextMessageBox(int32_t answer, SeenMessage* seen) {
  After(20, [answer, seen] {
    const std::vector<HWND> shown = VisibleThreadWindows();
    const auto box = std::find_if(shown.begin(), shown.end(), [](HWND w) { return ClassIs(w, L"#32770"); });
    if (box == shown.end()) return AnswerNextMessageBox(answer, seen);
    seen->title = TextOf(*box);
    seen->text = TextOf(GetDlgItem(*box, 0xFFFF));  // the message box's text control
    ++seen->count;
    seen->others_enabled =
        std::any_of(shown.begin(), shown.end(), [box](HWND w) { return w != *box && IsWindowEnabled(w); });
    PostMessageW(*box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(*box, answer)));
  });
}

ui::Rect ControlGeometry(int64_t widget) {
  HWND c = Win32Control(widget);
  RECT r{};
  if (c == nullptr || !GetWindowRect(c, &r)) return ui::Rect{};
  MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
  return RectOf(r);
}

ui::Size WindowClientSize(int64_t window) {
  RECT r{};
  return GetClientRect(Win32Window(window), &r) ? ui::Size{r.right, r.bottom} : ui::Size{};
}

ui::Rect WindowFrame(int64_t window) {
  RECT r{};
  return GetWindowRect(Win32Window(window), &r) ? RectOf(r) : ui::Rect{};
}

ui::Rect PrimaryScreen() {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  const bool known = GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return known ? RectOf(info.rcMonitor) : ui::Rect{};
}

ui::Rect AvailableArea(int64_t window) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(Win32Window(window), MONITOR_DEFAULTTOPRIMARY), &info);
  return RectOf(info.rcWork);
}

CellView ShownCell(int64_t widget, int64_t row, int64_t column) {
  HWND list = Win32Control(widget);
  RECT cell = {};
  cell.top = static_cast<LONG>(column);
  cell.left = LVIR_LABEL;
  if (!Ask(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), &cell)) return CellView{};
  RECT client = {};
  GetClientRect(list, &client);
  const std::wstring text = ui::WideFromText(ui::ItemText(widget, row, column));
  LVCOLUMNW format = {};
  format.mask = LVCF_FMT;
  Ask(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), &format);
  CellView view;
  view.cell = RectOf(cell);
  view.visible_width = client.right - client.left;
  // The list view's own padding around a subitem's text.
  view.whole = Ask(list, LVM_GETSTRINGWIDTHW, 0, text.c_str()) + 12 <= cell.right - cell.left;
  view.right_aligned = (format.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
  return view;
}

bool SelectionShownWithoutFocus(int64_t widget) {
  HWND c = Win32Control(widget);
  const LONG style = GetWindowLongW(c, GWL_STYLE);
  return ClassIs(c, WC_TREEVIEWW) ? (style & TVS_SHOWSELALWAYS) != 0 : (style & LVS_SHOWSELALWAYS) != 0;
}

bool WindowHasOwnIcon(int64_t window) {
  HWND w = Win32Window(window);
  const HICON own = reinterpret_cast<HICON>(GetClassLongPtrW(w, GCLP_HICON));
  return own != nullptr && own != LoadIconW(nullptr, IDI_APPLICATION);
}

bool WindowVisible(int64_t window) { return IsWindowVisible(Win32Window(window)) != FALSE; }
bool WindowMaximized(int64_t window) { return IsZoomed(Win32Window(window)) != FALSE; }
bool WindowMinimized(int64_t window) { return IsIconic(Win32Window(window)) != FALSE; }
bool WindowEnabled(int64_t window) { return IsWindowEnabled(Win32Window(window)) != FALSE; }
bool WidgetEnabled(int64_t widget) { return IsWindowEnabled(Win32Control(widget)) != FALSE; }

WindowDecorations DecorationsOf(int64_t window) {
  HWND w = Win32Window(window);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  return WindowDecorations{(style & WS_CAPTION) == WS_CAPTION, (style & WS_SYSMENU) != 0,
                           (style & WS_MINIMIZEBOX) != 0,      (style & WS_MAXIMIZEBOX) != 0,
                           (style & WS_THICKFRAME) != 0,       (ex & WS_EX_TOOLWINDOW) != 0};
}

runtime::Text WindowTitle(int64_t window) { return TextOf(Win32Window(window)); }

int64_t FocusedWidget() { return ui::Win32ControlNumber(GetFocus()); }

ui::Rect ItemRect(int64_t widget, int64_t item) {
  HWND control = Win32Control(widget);
  RECT r = {LVIR_BOUNDS, 0, 0, 0};  // the list view's part to measure
  bool found = false;
  switch (KindOf(control)) {
    case Kind::ListBox: found = item >= 0 && Ask(control, LB_GETITEMRECT, item, &r) != LB_ERR; break;
    case Kind::ListView: found = item >= 0 && Ask(control, LVM_GETITEMRECT, item, &r); break;
    case Kind::TreeView: {
      HTREEITEM i = TreeItemAt(control, item);
      std::memcpy(&r, &i, sizeof i);  // the message takes the item in the rectangle's place
      found = i && Ask(control, TVM_GETITEMRECT, TRUE, &r);
      break;
    }
    default: break;
  }
  return found ? RectOf(r) : ui::Rect{};
}

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  HWND c = Win32Control(widget);
  switch (KindOf(c)) {
    case Kind::ListBox: return ui::TextFromWide(native::NativeListBoxText(c, static_cast<int>(item)));
    case Kind::ListView: return ui::TextFromWide(native::NativeListViewText(c, static_cast<int>(item), 0));
    case Kind::TreeView: return ui::TextFromWide(native::NativeTreeText(c, TreeItemAt(c, item)));
    default: return {};
  }
}

void ScrollToItem(int64_t widget, int64_t item) {
  HWND control = Win32Control(widget);
  switch (KindOf(control)) {
    case Kind::ListBox: Ask(control, LB_SETTOPINDEX, item, 0); break;
    case Kind::ListView: Ask(control, LVM_ENSUREVISIBLE, item, FALSE); break;
    case Kind::TreeView: Ask(control, TVM_ENSUREVISIBLE, 0, TreeItemAt(control, item)); break;
    default: break;
  }
  Process();
}

void ExpandItem(int64_t widget, int64_t item) {
  HWND tree = Win32Control(widget);
  Ask(tree, TVM_EXPAND, TVE_EXPAND, TreeItemAt(tree, item));
  ScrollToItem(widget, item);
}

int64_t ColumnTotal(int64_t widget) {
  return KindOf(Win32Control(widget)) == Kind::ListBox ? 1 : Ask(HeaderOf(widget), HDM_GETITEMCOUNT, 0, 0);
}

runtime::Text ColumnTitle(int64_t widget, int64_t column) {
  std::wstring title(4096, L'\0');
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = title.data();
  c.cchTextMax = static_cast<int>(title.size());
  if (!Ask(Win32Control(widget), LVM_GETCOLUMNW, column, &c)) return {};
  title.resize(wcsnlen(title.c_str(), title.size()));
  return ui::TextFromWide(title);
}

int64_t ChildAt(int64_t widget, int64_t item, int64_t index) {
  HWND tree = Win32Control(widget);
  HTREEITEM parent = TreeItemAt(tree, item);
  HTREEITEM c = parent && index >= 0 ? Next(tree, parent, TVGN_CHILD) : nullptr;
  for (int64_t i = 0; c && i < index; ++i) c = Next(tree, c, TVGN_NEXT);
  return c ? PositionOf(tree, c) : -1;
}

int64_t ChildCount(int64_t widget, int64_t item) {
  int64_t count = 0;
  while (ChildAt(widget, item, count) != -1) ++count;
  return count;
}

// The control may keep an item marked open after its children went.
bool ItemExpanded(int64_t widget, int64_t item) {
  HWND tree = Win32Control(widget);
  HTREEITEM i = TreeItemAt(tree, item);
  return i && native::NativeTreeIsExpanded(tree, i) && Next(tree, i, TVGN_CHILD);
}

bool ItemHasExpandButton(int64_t widget, int64_t item) {
  HWND tree = Win32Control(widget);
  TVITEMW t = {};
  t.mask = TVIF_CHILDREN | TVIF_HANDLE;
  t.hItem = TreeItemAt(tree, item);
  return t.hItem && Ask(tree, TVM_GETITEMW, 0, &t) && (t.cChildren != 0 || Next(tree, t.hItem, TVGN_CHILD));
}

uint32_t ItemTag(int64_t widget, int64_t item) {
  HWND tree = Win32Control(widget);
  return static_cast<uint32_t>(native::NativeTreeData(tree, TreeItemAt(tree, item)));
}

std::vector<int64_t> SelectedItems(int64_t widget) {
  HWND control = Win32Control(widget);
  std::vector<int64_t> out;
  switch (KindOf(control)) {
    case Kind::ListBox:
      for (LRESULT row = 0; row < Ask(control, LB_GETCOUNT, 0, 0); ++row) {
        if (Ask(control, LB_GETSEL, row, 0) > 0) out.push_back(row);
      }
      break;
    case Kind::ListView:
      for (LRESULT row = Ask(control, LVM_GETNEXTITEM, -1, LVNI_SELECTED); row >= 0;
           row = Ask(control, LVM_GETNEXTITEM, row, LVNI_SELECTED)) {
        out.push_back(row);
      }
      break;
    case Kind::TreeView:
      if (HTREEITEM s = Next(control, nullptr, TVGN_CARET)) out.push_back(PositionOf(control, s));
      break;
    default: break;
  }
  return out;
}

std::vector<int64_t> DraggedItems(int64_t widget) { return ui::Win32DraggedItems(Win32Control(widget)); }

void ClickColumnHeader(int64_t widget, int64_t column) {
  HWND header = HeaderOf(widget);
  RECT r = {};
  if (!Ask(header, HDM_GETITEMRECT, column, &r)) return;
  // The header lies at the top of the list's client area.
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(header, Win32Control(widget), &at, 1);
  ClickAt(widget, ui::Point{at.x, at.y});
}

bool DrivePromptOpen(int64_t window) {
  Process();
  return DrivePromptOf(window) != nullptr;
}

void CancelDrivePrompt(int64_t window) {
  Ask(GetDlgItem(DrivePromptOf(window), IDCANCEL), BM_CLICK, 0, 0);
  Process();
}

}  // namespace ui_driver
