// Drives and inspects windows and widgets as the user and the window system would, by window and
// widget number, so that the window tests hold for every toolkit's backend. Each backend's tests
// implement it (tests/ui/qt/driver_qt.cpp with Qt).
//
// Points are in pixels: of a window's client area, or of a control's content area (an item view's
// viewport).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "ui/geometry.h"

namespace ui_driver {

enum class Mouse { Left, Right };
enum class Key { Tab, ShiftTab, Enter, Space, Up, Down, Left, Right };

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
// A click with the Control key held: adds to a multiple selection.
void ControlClickAt(int64_t widget, ui::Point at);
// A press and a release apart; a drag is a press, a move with the button held and a release, and
// starts dragging once it has gone more than DragDistance() pixels.
void PressAt(int64_t widget, ui::Point at);
void ReleaseAt(int64_t widget, ui::Point at);
void DragAt(int64_t widget, ui::Point from, ui::Point to);
int32_t DragDistance();
void ClickColumnHeader(int64_t widget, int64_t column);

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
void EnableWindow(int64_t window, bool enabled);

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
  bool others_enabled = true;  // whether any other window of the program took input meanwhile
};
void AnswerNextMessageBox(int32_t answer, SeenMessage* seen);

// Inspection.
ui::Rect ControlGeometry(int64_t widget);  // in its window's client area
ui::Size WindowClientSize(int64_t window);
ui::Rect WindowFrame(int64_t window);  // the outer frame on the screen
ui::Rect ScreenArea(int64_t window);   // the available area of the window's screen
ui::Rect PrimaryScreen();              // the whole primary screen
bool WindowVisible(int64_t window);
bool WindowActive(int64_t window);
bool WindowMaximized(int64_t window);
bool WindowMinimized(int64_t window);
struct WindowDecorations {
  bool title_bar, close_box, minimize_box, maximize_box, resizable, tool;
  bool operator==(const WindowDecorations&) const = default;
};
WindowDecorations DecorationsOf(int64_t window);
bool WindowEnabled(int64_t window);
bool WidgetEnabled(int64_t widget);
bool WindowPlacedByProgram(int64_t window);  // false when the window system chose the place
runtime::Text WindowTitle(int64_t window);
int64_t FocusedWidget();  // -1 when no widget of ours has the focus

// Items of list boxes, column lists (rows) and folder trees (pre-order positions): where one is in
// the control's content area (empty when not shown), the text it shows, opening a tree item and
// scrolling it into view, and only scrolling.
ui::Rect ItemRect(int64_t widget, int64_t item);
runtime::Text ShownItemText(int64_t widget, int64_t item);
void ExpandItem(int64_t widget, int64_t item);
void ScrollToItem(int64_t widget, int64_t item);
// How many columns the control has; a column's title and width in pixels.
int64_t ColumnTotal(int64_t widget);
runtime::Text ColumnTitle(int64_t widget, int64_t column);
int32_t ColumnWidth(int64_t widget, int64_t column);
// Tree structure by pre-order position: children (-1 past the last), whether the item is open and
// shows an expand button, and the tag it carries (folder_tree_rules.h).
int64_t ChildCount(int64_t widget, int64_t item);
int64_t ChildAt(int64_t widget, int64_t item, int64_t index);
bool ItemExpanded(int64_t widget, int64_t item);
bool ItemHasExpandButton(int64_t widget, int64_t item);
uint32_t ItemTag(int64_t widget, int64_t item);
// Selected items (rows, tree positions) in order, and those the last drag started with.
std::vector<int64_t> SelectedItems(int64_t widget);
std::vector<int64_t> DraggedItems(int64_t widget);
// The folder trees' drive-not-ready prompt in a window: whether it is open, and its Cancel button.
bool DrivePromptOpen(int64_t window);
void CancelDrivePrompt(int64_t window);

// Saves what the window shows as a picture file: its content as PNG with Qt, on Windows its frame and
// content as read back from the screen, as BMP. False when it cannot.
bool SaveWindowPicture(int64_t window, const std::string& path);

}  // namespace ui_driver
