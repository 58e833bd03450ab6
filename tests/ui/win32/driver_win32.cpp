// The test driver over Win32: real input through the system's queue (SendInput, with the target's
// window in the foreground, which is what wine needs to deliver it), and the native windows behind
// the numbers for what the tests inspect.
#include "tests/ui/driver.h"
#include "tests/ui/win32/input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "tests/ui/win32/driver_win32.h"
#include "ui/event_queue.h"
#include "ui/message_box.h"
#include "ui/toolkit.h"
#include "ui/widget.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/window.h"

namespace ui_driver {
namespace {

using ui::Win32Control;
using ui::Win32Window;

HWND RootOf(HWND h) { return h != nullptr ? GetAncestor(h, GA_ROOT) : nullptr; }

using ui_win32_input::KeyInput;
using ui_win32_input::MouseInput;
using ui_win32_input::SendInputs;

DWORD DownFlag(Mouse m) { return m == Mouse::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN; }
DWORD UpFlag(Mouse m) { return m == Mouse::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP; }

// Input reaches only the foreground window.
void Foreground(HWND target) {
  HWND root = RootOf(target);
  if (root != nullptr && GetForegroundWindow() != root) {
    SetForegroundWindow(root);
    PumpIdle();
  }
}

POINT ScreenPoint(HWND h, ui::Point at) {
  POINT p{at.x, at.y};
  ClientToScreen(h, &p);
  return p;
}

// Where and when the last press went. A press close to it in place and time would be the second
// half of a double-click; the user's separate presses are further apart in time.
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

void MouseAt(HWND h, ui::Point at, DWORD flags) {
  if (h == nullptr) return;
  Foreground(h);
  const POINT p = ScreenPoint(h, at);
  if (flags & MOUSEEVENTF_LEFTDOWN) BeforePress(p);
  SendInputs({MouseInput(flags, p)});
  PumpIdle();
}

void ClickOn(HWND h, ui::Point at, Mouse button, int times) {
  if (h == nullptr) return;
  Foreground(h);
  const POINT p = ScreenPoint(h, at);
  BeforePress(p);
  for (int i = 0; i < times; ++i) SendInputs({MouseInput(DownFlag(button), p), MouseInput(UpFlag(button), p)});
  PumpIdle();
}

ui::Point Middle(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return ui::Point{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
}

// The virtual key of each Key, in the enum's order.
constexpr WORD kKeys[] = {VK_TAB, VK_TAB, VK_RETURN, VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};

void SendKey(HWND target, Key key) {
  if (target == nullptr) return;
  Foreground(target);
  const WORD vk = kKeys[static_cast<int>(key)];
  if (key == Key::ShiftTab) SendInputs({KeyInput(VK_SHIFT, false)});
  SendInputs({KeyInput(vk, false), KeyInput(vk, true)});
  if (key == Key::ShiftTab) SendInputs({KeyInput(VK_SHIFT, true)});
  PumpIdle();
}

ui::Rect RectOf(const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

void SystemCommand(int64_t window, WPARAM command) {
  if (HWND w = Win32Window(window)) SendMessageW(w, WM_SYSCOMMAND, command, 0);
  PumpIdle();
}

bool WindowIs(int64_t window, BOOL(WINAPI* test)(HWND)) {
  HWND w = Win32Window(window);
  return w != nullptr && test(w) != FALSE;
}

// Tasks for RunSoon and the message box answers, run from thread timers: these fire inside
// whatever message loop runs then, a message box's own included.
std::map<UINT_PTR, std::function<void()>>& Tasks() {
  static std::map<UINT_PTR, std::function<void()>> tasks;
  return tasks;
}

void CALLBACK RunTask(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Tasks().find(id);
  if (it == Tasks().end()) return;
  std::function<void()> task = std::move(it->second);
  Tasks().erase(it);
  task();
}

void After(UINT ms, std::function<void()> task) {
  const UINT_PTR id = SetTimer(nullptr, 0, ms, RunTask);
  if (id != 0) Tasks()[id] = std::move(task);
}

struct BoxSearch {
  HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND w, LPARAM search) {
  wchar_t name[16] = {};
  GetClassNameW(w, name, 16);
  if (IsWindowVisible(w) && std::wstring(name) == L"#32770") {
    reinterpret_cast<BoxSearch*>(search)->box = w;
    return FALSE;
  }
  return TRUE;
}

struct EnabledSearch {
  HWND box;
  bool any = false;
};

BOOL CALLBACK FindEnabled(HWND w, LPARAM search) {
  auto* s = reinterpret_cast<EnabledSearch*>(search);
  if (w != s->box && IsWindowVisible(w) && IsWindowEnabled(w)) s->any = true;
  return TRUE;
}

// The message box's text is its static control with the id 0xFFFF.
runtime::Text BoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text != nullptr ? ui::TextFromWide(ui::win32::NativeWindowText(text)) : runtime::Text();
}

}  // namespace

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

bool IsListBox(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  return _wcsicmp(name, L"ListBox") == 0;
}

ui::Rect ListBoxItemRect(HWND list, int64_t item) {
  RECT r{};
  if (item < 0 ||
      SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r)) == LB_ERR) {
    return ui::Rect{};
  }
  RECT client{};
  GetClientRect(list, &client);
  RECT shown{};
  if (!IntersectRect(&shown, &r, &client)) return ui::Rect{};
  return RectOf(r);
}

runtime::Text ListBoxItemText(HWND list, int64_t item) {
  return item < 0 ? runtime::Text() : ui::TextFromWide(ui::win32::NativeListBoxText(list, static_cast<int>(item)));
}

std::vector<int64_t> ListBoxSelectedItems(HWND list) {
  std::vector<int64_t> out;
  const bool multi = (GetWindowLongW(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0;
  const int count = ui::win32::NativeListBoxCount(list);
  for (int i = 0; i < count; ++i) {
    const bool selected = multi ? SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0
                                : ui::win32::NativeListBoxSelection(list) == i;
    if (selected) out.push_back(i);
  }
  return out;
}

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
  HWND c = Win32Control(widget);
  if (c != nullptr) ClickOn(c, Middle(c), button, 1);
}

void ClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(Win32Control(widget), at, button, 1); }

void DoubleClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(Win32Control(widget), at, button, 2); }

void ClickWindowAt(int64_t window, ui::Point at, Mouse button) { ClickOn(Win32Window(window), at, button, 1); }

void DoubleClickWindowAt(int64_t window, ui::Point at, Mouse button) { ClickOn(Win32Window(window), at, button, 2); }

void ControlClickAt(int64_t widget, ui::Point at) {
  HWND c = Win32Control(widget);
  if (c == nullptr) return;
  Foreground(c);
  SendInputs({KeyInput(VK_CONTROL, false)});
  ClickOn(c, at, Mouse::Left, 1);
  SendInputs({KeyInput(VK_CONTROL, true)});
  PumpIdle();
}

void PressAt(int64_t widget, ui::Point at) { MouseAt(Win32Control(widget), at, MOUSEEVENTF_LEFTDOWN); }

void ReleaseAt(int64_t widget, ui::Point at) { MouseAt(Win32Control(widget), at, MOUSEEVENTF_LEFTUP); }

void DragAt(int64_t widget, ui::Point from, ui::Point to) {
  HWND c = Win32Control(widget);
  MouseAt(c, from, MOUSEEVENTF_LEFTDOWN);
  MouseAt(c, to, 0);
  MouseAt(c, to, MOUSEEVENTF_LEFTUP);
}

int32_t DragDistance() { return GetSystemMetrics(SM_CXDRAG); }

void PressKey(int64_t window, Key key) {
  HWND w = Win32Window(window);
  if (w == nullptr) return;
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
  if (HWND w = Win32Window(window)) {
    SetWindowPos(w, nullptr, frame_corner.x, frame_corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  PumpIdle();
}

void GrowWindow(int64_t window, int32_t wider) {
  if (HWND w = Win32Window(window)) {
    RECT r{};
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + wider, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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

void ShowWidget(int64_t widget, bool shown) {
  if (HWND c = Win32Control(widget)) ShowWindow(c, shown ? SW_SHOW : SW_HIDE);
}

void EnableWidget(int64_t widget, bool enabled) {
  if (HWND c = Win32Control(widget)) ::EnableWindow(c, enabled ? TRUE : FALSE);
}

void EnableWindow(int64_t window, bool enabled) {
  if (HWND w = Win32Window(window)) ::EnableWindow(w, enabled ? TRUE : FALSE);
}

void Process(int ms) {
  PumpIdle();
  if (ms <= 0) return;
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (GetTickCount64() < end) PumpIdle();
}

bool WaitUntil(const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + 5000;
  while (!done() && GetTickCount64() < end) PumpIdle();
  return done();
}

bool WaitForWindowShown(int64_t window) {
  return WaitUntil([window] { return WindowIs(window, IsWindowVisible); });
}

void RunSoon(std::function<void()> task) { After(0, std::move(task)); }

// The screen holds what the window system drew, frame included; a 24-bit bottom-up BMP needs no
// library to write.
bool SaveWindowPicture(int64_t window, const std::string& path) {
  HWND hwnd = static_cast<HWND>(ui::WindowWidget(window));
  RECT frame;
  if (hwnd == nullptr || !GetWindowRect(hwnd, &frame)) return false;
  const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (picture != nullptr) {
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const DWORD pixels = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + pixels),
                             0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
      saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, 1, pixels, out) == pixels;
      saved = std::fclose(out) == 0 && saved;
    }
    DeleteObject(picture);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

void AnswerNextMessageBox(int32_t answer, SeenMessage* seen) {
  After(20, [answer, seen] {
    BoxSearch search;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.box == nullptr) return AnswerNextMessageBox(answer, seen);
    wchar_t title[256] = {};
    GetWindowTextW(search.box, title, 256);
    seen->title = ui::TextFromWide(title);
    seen->text = BoxText(search.box);
    ++seen->count;
    EnabledSearch enabled{search.box};
    EnumThreadWindows(GetCurrentThreadId(), FindEnabled, reinterpret_cast<LPARAM>(&enabled));
    seen->others_enabled = enabled.any;
    PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.box, answer)));
  });
}

ui::Rect ControlGeometry(int64_t widget) {
  HWND c = Win32Control(widget);
  if (c == nullptr) return ui::Rect{};
  RECT r{};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
  return RectOf(r);
}

ui::Size WindowClientSize(int64_t window) {
  HWND w = Win32Window(window);
  RECT r{};
  if (w == nullptr || !GetClientRect(w, &r)) return ui::Size{};
  return ui::Size{r.right - r.left, r.bottom - r.top};
}

ui::Rect WindowFrame(int64_t window) {
  HWND w = Win32Window(window);
  RECT r{};
  if (w == nullptr || !GetWindowRect(w, &r)) return ui::Rect{};
  return RectOf(r);
}

ui::Rect ScreenArea(int64_t window) {
  HWND w = Win32Window(window);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (w == nullptr || !GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &info)) return ui::Rect{};
  return RectOf(info.rcWork);
}

ui::Rect PrimaryScreen() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return ui::Rect{};
  return RectOf(info.rcMonitor);
}

bool WindowVisible(int64_t window) { return WindowIs(window, IsWindowVisible); }

bool WindowActive(int64_t window) {
  HWND w = Win32Window(window);
  return w != nullptr && GetActiveWindow() == w;
}

bool WindowMaximized(int64_t window) { return WindowIs(window, IsZoomed); }

bool WindowMinimized(int64_t window) { return WindowIs(window, IsIconic); }

WindowDecorations DecorationsOf(int64_t window) {
  HWND w = Win32Window(window);
  if (w == nullptr) return WindowDecorations{};
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  return WindowDecorations{(style & WS_CAPTION) == WS_CAPTION, (style & WS_SYSMENU) != 0,
                           (style & WS_MINIMIZEBOX) != 0,      (style & WS_MAXIMIZEBOX) != 0,
                           (style & WS_THICKFRAME) != 0,       (ex & WS_EX_TOOLWINDOW) != 0};
}

bool WindowEnabled(int64_t window) { return WindowIs(window, IsWindowEnabled); }

bool WidgetEnabled(int64_t widget) {
  HWND c = Win32Control(widget);
  return c != nullptr && IsWindowEnabled(c);
}

bool WindowPlacedByProgram(int64_t window) {
  HWND w = Win32Window(window);
  return w != nullptr && ui::win32::NativeNumber(w, L"VX_Placed") != 0;
}

runtime::Text WindowTitle(int64_t window) {
  HWND w = Win32Window(window);
  return w != nullptr ? ui::TextFromWide(ui::win32::NativeWindowText(w)) : runtime::Text();
}

int64_t FocusedWidget() {
  for (HWND f = GetFocus(); f != nullptr && (GetWindowLongW(f, GWL_STYLE) & WS_CHILD) != 0; f = GetParent(f)) {
    const int64_t n = ui::Win32ControlNumber(f);
    if (n != -1) return n;
  }
  return -1;
}

}  // namespace ui_driver
