// Drives and inspects windows and widgets as the user and the window system would, by window and
// widget number, so that the window tests hold for every toolkit's backend. Each backend's tests
// implement it (tests/ui/qt/driver_qt.cpp with Qt).
//
// Points are in pixels: of a window's client area, or of a control's content area (an item view's
// viewport).
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/text.h"
#include "ui/geometry.h"

namespace ui_driver {

enum class Mouse { Left, Right };
enum class Key { Tab, ShiftTab, Enter, Space };

// Starts the toolkit for the test program (on the offscreen platform unless one is named) and the ui
// layer's queue, windows and widgets; false when it cannot.
bool StartForTests(int& argc, char** argv);
void StopForTests();

// Mouse input. Without a point, the middle of the control.
void Click(int64_t widget, Mouse button = Mouse::Left);
void ClickAt(int64_t widget, ui::Point at, Mouse button = Mouse::Left);
void DoubleClickAt(int64_t widget, ui::Point at, Mouse button = Mouse::Left);
void ClickWindowAt(int64_t window, ui::Point at, Mouse button = Mouse::Left);
void DoubleClickWindowAt(int64_t window, ui::Point at, Mouse button = Mouse::Left);

// A key to the control that has the keyboard focus in the window (the window itself when none has).
void PressKey(int64_t window, Key key);
// A key to one control.
void PressKeyOn(int64_t widget, Key key);
// The close box, as the window system asks for it.
void RequestClose(int64_t window);

// What the user does to a window through the window system.
void MaximizeWindow(int64_t window);
void MinimizeWindow(int64_t window);
void RestoreWindow(int64_t window);
void MoveWindow(int64_t window, ui::Point frame_corner);
void GrowWindow(int64_t window, int32_t wider);
// Makes the window the active one; true once it is.
bool ActivateWindow(int64_t window);
// Gives a control the keyboard focus; hides, shows, disables and enables one.
void FocusWidget(int64_t widget);
void ShowWidget(int64_t widget, bool shown);
void EnableWidget(int64_t widget, bool enabled);

// Lets the toolkit handle what is pending, and what arrives for `ms` milliseconds.
void Process(int ms = 0);
// Processes until `done` holds, at most about five seconds; returns `done()`.
bool WaitUntil(const std::function<bool()>& done);
// True once the window is shown on the screen.
bool WaitForWindowShown(int64_t window);
// Runs `task` the next time the toolkit handles its events (inside whatever loop is running then).
void RunSoon(std::function<void()> task);

// The next message box that opens is read and answered with the button `answer` (kAnswerOk ...).
struct SeenMessage {
  runtime::Text title;
  runtime::Text text;
  int count = 0;
};
void AnswerNextMessageBox(int32_t answer, SeenMessage* seen);

// Inspection.
ui::Rect ControlGeometry(int64_t widget);  // in its window's client area
ui::Size WindowClientSize(int64_t window);
ui::Rect WindowFrame(int64_t window);      // the outer frame on the screen
ui::Rect ScreenArea(int64_t window);       // the available area of the window's screen
ui::Rect PrimaryScreen();                  // the whole primary screen
bool WindowVisible(int64_t window);
bool WindowActive(int64_t window);
bool WindowMaximized(int64_t window);
bool WindowMinimized(int64_t window);
bool WindowResizable(int64_t window);
bool WindowPlacedByProgram(int64_t window);  // false when the window system chose the place
runtime::Text WindowTitle(int64_t window);
int64_t FocusedWidget();                   // -1 when no widget of ours has the focus

// Items of list boxes, column lists (rows) and folder trees (pre-order positions): where one is in
// the control's content area (empty when not shown), the text it shows, and opening a tree item and
// scrolling it into view.
ui::Rect ItemRect(int64_t widget, int64_t item);
runtime::Text ShownItemText(int64_t widget, int64_t item);
void ExpandItem(int64_t widget, int64_t item);

}  // namespace ui_driver
