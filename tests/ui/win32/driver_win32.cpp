// The test driver over Win32: real input sent with the target's window in the foreground, and the native
// windows and controls behind the numbers, asked through their own messages, for what the tests inspect.
#include "tests/ui/driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "tests/ui/win32/driver_win32.h"
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

// Handles every message that is waiting and what follows from it, until the thread is idle.
void PumpIdle() {
  bool woke = false;
  for (int i = 0; i < 200; ++i) {
    const ui::win32::NativeWaitResult r = ui::win32::NativeWaitMessages(15);
    if (r == ui::win32::NativeWaitResult::WakeUp) woke = true;
    if (r == ui::win32::NativeWaitResult::Timeout) break;
  }
  // A wake-up belongs to the program's next wait, not to the driver's pumping.
  if (woke) ui::win32::NativeWakeWait();
}

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  return window != nullptr && GetClassNameW(window, found, 64) > 0 && _wcsicmp(found, name) == 0;
}

ui::Rect RectOf(const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

HWND RootOf(HWND h) { return h != nullptr ? GetAncestor(h, GA_ROOT) : nullptr; }

void Foreground(HWND target) {
  HWND root = RootOf(target);
  if (root != nullptr && GetForegroundWindow() != root) {
    SetForegroundWindow(root);
    PumpIdle();
  }
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

// Mouse events at a point of `h`'s client area; a sequence that starts with a press is a new press.
void MouseAt(HWND h, ui::Point at, const std::vector<DWORD>& events) {
  if (h == nullptr) return;
  Foreground(h);
  POINT p{at.x, at.y};
  ClientToScreen(h, &p);
  if (events.front() & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN)) BeforePress(p);
  SendMouse(p, events);
  PumpIdle();
}

void ClickOn(HWND h, ui::Point at, Mouse button, int times) {
  const DWORD down = button == Mouse::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
  const DWORD up = button == Mouse::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
  MouseAt(h, at, times == 2 ? std::vector<DWORD>{down, up, down, up} : std::vector<DWORD>{down, up});
}

// The virtual key of each Key, in the enum's order.
constexpr WORD kKeys[] = {VK_TAB, VK_TAB, VK_RETURN, VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};

void SendKey(HWND target, Key key) {
  if (target == nullptr) return;
  Foreground(target);
  const WORD vk = kKeys[static_cast<int>(key)];
  if (key == Key::ShiftTab) SendKeys({{VK_SHIFT, false}});
  SendKeys({{vk, false}, {vk, true}});
  if (key == Key::ShiftTab) SendKeys({{VK_SHIFT, true}});
  PumpIdle();
}

void SystemCommand(int64_t window, WPARAM command) {
  if (HWND w = Win32Window(window)) SendMessageW(w, WM_SYSCOMMAND, command, 0);
  PumpIdle();
}

bool Is(HWND w, BOOL(WINAPI* test)(HWND)) { return w != nullptr && test(w) != FALSE; }

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

ui::Rect MonitorRect(HMONITOR monitor, bool work_area) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  return GetMonitorInfoW(monitor, &info) ? RectOf(work_area ? info.rcWork : info.rcMonitor) : ui::Rect{};
}

runtime::Text TextOf(HWND h) { return ui::TextFromWide(ui::win32::NativeWindowText(h)); }

enum class Kind { None, ListBox, ListView, TreeView };

Kind KindOf(HWND control) {
  if (ClassIs(control, WC_LISTVIEWW)) return Kind::ListView;
  if (ClassIs(control, WC_TREEVIEWW)) return Kind::TreeView;
  return ClassIs(control, L"ListBox") ? Kind::ListBox : Kind::None;
}

// The widget's control when it is of `kind`, else null.
HWND ControlOf(int64_t widget, Kind kind) {
  return KindOf(Win32Control(widget)) == kind ? Win32Control(widget) : nullptr;
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

// A tree widget's item at a pre-order position with the fields of `mask` read; item null when none.
struct TreeItemRecord {
  HWND tree = nullptr;
  TVITEMW item = {};
  std::wstring text;
};

TreeItemRecord TreeItemOf(int64_t widget, int64_t position, UINT mask) {
  TreeItemRecord r;
  r.tree = ControlOf(widget, Kind::TreeView);
  r.text.assign(mask & TVIF_TEXT ? 32768 : 0, L'\0');
  r.item.mask = mask | TVIF_HANDLE;
  r.item.hItem = TreeItemAt(r.tree, position);
  r.item.pszText = r.text.data();
  r.item.cchTextMax = static_cast<int>(r.text.size());
  if (r.item.hItem && !Ask(r.tree, TVM_GETITEMW, 0, &r.item)) r.item.hItem = nullptr;
  r.text.resize(wcsnlen(r.text.c_str(), r.text.size()));
  return r;
}

HWND HeaderOf(int64_t widget) {
  return reinterpret_cast<HWND>(Ask(ControlOf(widget, Kind::ListView), LVM_GETHEADER, 0, 0));
}

// The drive-not-ready prompt the window owns, shown; null when none.
HWND DrivePromptOf(int64_t window) {
  HWND owner = ui::Win32Window(window);
  for (HWND w = FindWindowExW(nullptr, nullptr, L"SceneBuilderDrivePrompt", nullptr); owner && w;
       w = FindWindowExW(nullptr, w, L"SceneBuilderDrivePrompt", nullptr)) {
    if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
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
void ClickWindowAt(int64_t window, ui::Point at, Mouse button) { ClickOn(Win32Window(window), at, button, 1); }
void DoubleClickWindowAt(int64_t window, ui::Point at, Mouse button) { ClickOn(Win32Window(window), at, button, 2); }

void ControlClickAt(int64_t widget, ui::Point at) {
  Foreground(Win32Control(widget));
  SendKeys({{VK_CONTROL, false}});
  ClickAt(widget, at);
  SendKeys({{VK_CONTROL, true}});
  PumpIdle();
}

void PressAt(int64_t widget, ui::Point at) { MouseAt(Win32Control(widget), at, {MOUSEEVENTF_LEFTDOWN}); }
void ReleaseAt(int64_t widget, ui::Point at) { MouseAt(Win32Control(widget), at, {MOUSEEVENTF_LEFTUP}); }

void DragAt(int64_t widget, ui::Point from, ui::Point to) {
  PressAt(widget, from);
  MouseAt(Win32Control(widget), to, {0});
  ReleaseAt(widget, to);
}

int32_t DragDistance() { return GetSystemMetrics(SM_CXDRAG); }

void PressKey(int64_t window, Key key) {
  HWND w = Win32Window(window);
  HWND f = GetFocus();
  SendKey(f != nullptr && RootOf(f) == w ? f : w, key);
}

void PressKeyOn(int64_t widget, Key key) {
  HWND c = Win32Control(widget);
  if (c == nullptr) return;
  Foreground(c);
  SetFocus(c);
  SendKey(c, key);
}

void RequestClose(int64_t window) { SystemCommand(window, SC_CLOSE); }
void MaximizeWindow(int64_t window) { SystemCommand(window, SC_MAXIMIZE); }
void MinimizeWindow(int64_t window) { SystemCommand(window, SC_MINIMIZE); }
void RestoreWindow(int64_t window) { SystemCommand(window, SC_RESTORE); }

void MoveWindow(int64_t window, ui::Point frame_corner) {
  SetWindowPos(Win32Window(window), nullptr, frame_corner.x, frame_corner.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpIdle();
}

void GrowWindow(int64_t window, int32_t wider) {
  const ui::Rect r = WindowFrame(window);
  SetWindowPos(Win32Window(window), nullptr, 0, 0, r.width + wider, r.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpIdle();
}

bool ActivateWindow(int64_t window) {
  HWND w = Win32Window(window);
  if (w == nullptr) return false;
  SetForegroundWindow(w);
  return WaitUntil([w] { return GetForegroundWindow() == w && GetActiveWindow() == w; });
}

void FocusWidget(int64_t widget) {
  if (HWND c = Win32Control(widget)) SetFocus(c);
  PumpIdle();
}

void ShowWidget(int64_t widget, bool shown) { ShowWindow(Win32Control(widget), shown ? SW_SHOW : SW_HIDE); }
void EnableWidget(int64_t widget, bool enabled) { ::EnableWindow(Win32Control(widget), enabled ? TRUE : FALSE); }
void EnableWindow(int64_t window, bool enabled) { ::EnableWindow(Win32Window(window), enabled ? TRUE : FALSE); }

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
  bool saved = false;
  std::FILE* out = picture != nullptr ? std::fopen(path.c_str(), "wb") : nullptr;
  if (out != nullptr) {
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, frame.width, frame.height, screen, frame.x, frame.y, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const DWORD pixels = static_cast<DWORD>((frame.width * 3 + 3) / 4 * 4 * frame.height);
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file = {0x4D42, headers + pixels, 0, 0, headers};
    saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
            std::fwrite(bits, 1, pixels, out) == pixels;
    saved = std::fclose(out) == 0 && saved;
  }
  if (picture != nullptr) DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
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

ui::Rect ScreenArea(int64_t window) {
  HWND w = Win32Window(window);
  return w != nullptr ? MonitorRect(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), true) : ui::Rect{};
}

ui::Rect PrimaryScreen() { return MonitorRect(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), false); }

bool WindowVisible(int64_t window) { return Is(Win32Window(window), IsWindowVisible); }
bool WindowActive(int64_t window) { return Win32Window(window) != nullptr && GetActiveWindow() == Win32Window(window); }
bool WindowMaximized(int64_t window) { return Is(Win32Window(window), IsZoomed); }
bool WindowMinimized(int64_t window) { return Is(Win32Window(window), IsIconic); }
bool WindowEnabled(int64_t window) { return Is(Win32Window(window), IsWindowEnabled); }
bool WidgetEnabled(int64_t widget) { return Is(Win32Control(widget), IsWindowEnabled); }

WindowDecorations DecorationsOf(int64_t window) {
  HWND w = Win32Window(window);
  if (w == nullptr) return WindowDecorations{};
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  return WindowDecorations{(style & WS_CAPTION) == WS_CAPTION, (style & WS_SYSMENU) != 0,
                           (style & WS_MINIMIZEBOX) != 0,      (style & WS_MAXIMIZEBOX) != 0,
                           (style & WS_THICKFRAME) != 0,       (ex & WS_EX_TOOLWINDOW) != 0};
}

bool WindowPlacedByProgram(int64_t window) { return ui::win32::NativeNumber(Win32Window(window), L"VX_Placed") != 0; }
runtime::Text WindowTitle(int64_t window) { return TextOf(Win32Window(window)); }

int64_t FocusedWidget() {
  for (HWND f = GetFocus(); f != nullptr && (GetWindowLongW(f, GWL_STYLE) & WS_CHILD) != 0; f = GetParent(f)) {
    const int64_t n = ui::Win32ControlNumber(f);
    if (n != -1) return n;
  }
  return -1;
}

ui::Rect ItemRect(int64_t widget, int64_t item) {
  HWND control = ui::Win32Control(widget);
  RECT r = {};
  bool found = false;
  switch (KindOf(control)) {
    case Kind::ListBox: {
      RECT client{}, shown{};
      found = GetClientRect(control, &client) && item >= 0 && Ask(control, LB_GETITEMRECT, item, &r) != LB_ERR &&
              IntersectRect(&shown, &r, &client);
      break;
    }
    case Kind::ListView:
      r.left = LVIR_BOUNDS;
      found = item >= 0 && Ask(control, LVM_GETITEMRECT, item, &r);
      break;
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
  HWND control = ui::Win32Control(widget);
  switch (KindOf(control)) {
    case Kind::ListBox:
      return item < 0 ? runtime::Text()
                      : ui::TextFromWide(ui::win32::NativeListBoxText(control, static_cast<int>(item)));
    case Kind::ListView: {
      std::wstring text(32768, L'\0');
      LVITEMW cell = {};
      cell.pszText = text.data();
      cell.cchTextMax = static_cast<int>(text.size());
      const bool row = item >= 0 && item < Ask(control, LVM_GETITEMCOUNT, 0, 0);
      text.resize(row ? std::max<LRESULT>(Ask(control, LVM_GETITEMTEXTW, item, &cell), 0) : 0);
      return ui::TextFromWide(text);
    }
    case Kind::TreeView: return ui::TextFromWide(TreeItemOf(widget, item, TVIF_TEXT).text);
    default: return {};
  }
}

void ScrollToItem(int64_t widget, int64_t item) {
  HWND control = ui::Win32Control(widget);
  switch (KindOf(control)) {
    case Kind::ListBox: Ask(control, LB_SETTOPINDEX, item, 0); break;
    case Kind::ListView: Ask(control, LVM_ENSUREVISIBLE, item, FALSE); break;
    case Kind::TreeView: Ask(control, TVM_ENSUREVISIBLE, 0, TreeItemAt(control, item)); break;
    default: break;
  }
  Process();
}

void ExpandItem(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget, Kind::TreeView);
  if (HTREEITEM i = TreeItemAt(tree, item)) {
    Ask(tree, TVM_EXPAND, TVE_EXPAND, i);
    Ask(tree, TVM_ENSUREVISIBLE, 0, i);
  }
  Process();
}

int64_t ColumnTotal(int64_t widget) {
  return ControlOf(widget, Kind::ListBox) ? 1 : Ask(HeaderOf(widget), HDM_GETITEMCOUNT, 0, 0);
}

runtime::Text ColumnTitle(int64_t widget, int64_t column) {
  std::wstring title(4096, L'\0');
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = title.data();
  c.cchTextMax = static_cast<int>(title.size());
  if (!Ask(ControlOf(widget, Kind::ListView), LVM_GETCOLUMNW, column, &c)) return {};
  title.resize(wcsnlen(title.c_str(), title.size()));
  return ui::TextFromWide(title);
}

int32_t ColumnWidth(int64_t widget, int64_t column) {
  return static_cast<int32_t>(Ask(ControlOf(widget, Kind::ListView), LVM_GETCOLUMNWIDTH, column, 0));
}

int64_t ChildAt(int64_t widget, int64_t item, int64_t index) {
  const TreeItemRecord parent = TreeItemOf(widget, item, 0);
  HTREEITEM c = parent.item.hItem && index >= 0 ? Next(parent.tree, parent.item.hItem, TVGN_CHILD) : nullptr;
  for (int64_t i = 0; c && i < index; ++i) c = Next(parent.tree, c, TVGN_NEXT);
  return c ? PositionOf(parent.tree, c) : -1;
}

int64_t ChildCount(int64_t widget, int64_t item) {
  int64_t count = 0;
  while (ChildAt(widget, item, count) != -1) ++count;
  return count;
}

bool ItemExpanded(int64_t widget, int64_t item) {
  const TreeItemRecord r = TreeItemOf(widget, item, TVIF_STATE);
  return r.item.hItem && (r.item.state & TVIS_EXPANDED) && Next(r.tree, r.item.hItem, TVGN_CHILD);
}

bool ItemHasExpandButton(int64_t widget, int64_t item) {
  const TreeItemRecord r = TreeItemOf(widget, item, TVIF_CHILDREN);
  const bool buttons = GetWindowLongW(r.tree, GWL_STYLE) & TVS_HASBUTTONS;
  return r.item.hItem && buttons && (r.item.cChildren != 0 || Next(r.tree, r.item.hItem, TVGN_CHILD));
}

uint32_t ItemTag(int64_t widget, int64_t item) {
  return static_cast<uint32_t>(TreeItemOf(widget, item, TVIF_PARAM).item.lParam);
}

std::vector<int64_t> SelectedItems(int64_t widget) {
  HWND control = ui::Win32Control(widget);
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

std::vector<int64_t> DraggedItems(int64_t widget) { return ui::Win32DraggedItems(ui::Win32Control(widget)); }

void ClickColumnHeader(int64_t widget, int64_t column) {
  HWND header = HeaderOf(widget);
  RECT r = {};
  if (!Ask(header, HDM_GETITEMRECT, column, &r)) return;
  // The header lies at the top of the list's client area.
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(header, ui::Win32Control(widget), &at, 1);
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
