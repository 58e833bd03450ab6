// Drives and inspects windows and widgets by number as the user and the window system would, so the
// same tests hold for every backend. Points are pixels of a window's client area or of a control's
// content area (an item view's viewport).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "ui/geometry.h"

namespace ui_driver {

enum class Mouse { Left, Right };
enum class Key { Tab, ShiftTab, Enter, Space, Up, Down, Left, Right, Escape };

// Starts the toolkit (offscreen unless a platform is named) and the ui layer; false when it cannot.
bool StartForTests(int& argc, char** argv);
void StopForTests();

// Mouse input. Without a point, the middle of the control.
void Click(int64_t widget, Mouse button = Mouse::Left);
void ClickAt(int64_t widget, ui::Point at, Mouse button = Mouse::Left);
void DoubleClickAt(int64_t widget, ui::Point at, Mouse button = Mouse::Left);
void ControlClickAt(int64_t widget, ui::Point at);
// A drag starts dragging once it has gone more than DragDistance() pixels.
void DragAt(int64_t widget, ui::Point from, ui::Point to);
int32_t DragDistance();
void ClickColumnHeader(int64_t widget, int64_t column);

// A key to the window's focused control (the window itself when none has), or to one control.
void PressKey(int64_t window, Key key);
void PressKeyOn(int64_t widget, Key key);
// The close box, and what else the user does to a window through the window system.
void RequestClose(int64_t window);
void MaximizeWindow(int64_t window);
void MinimizeWindow(int64_t window);
void RestoreWindow(int64_t window);
void GrowWindow(int64_t window, int32_t wider);
// Gives the window a client area of `size` pixels as the user's dragging of its frame would: never
// smaller than the window's minimum.
void ResizeWindow(int64_t window, ui::Size size);
// Files or folders (UTF-8 paths) dropped onto the window from a file manager.
void DropPaths(int64_t window, const std::vector<std::string>& paths);
bool ActivateWindow(int64_t window);  // true once it is the active one
void FocusWidget(int64_t widget);
void ShowWidget(int64_t widget, bool shown);
void EnableWidget(int64_t widget, bool enabled);

// Handles what is pending and what arrives for `ms` milliseconds; waits (about five seconds at most)
// until `done` holds or the window is shown; runs `task` inside whatever loop runs next.
void Process(int ms = 0);
bool WaitUntil(const std::function<bool()>& done);
bool WaitForWindowShown(int64_t window);
void RunSoon(std::function<void()> task);

// The next message box that opens is read and answered with `answer` (kAnswerOk ...).
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
ui::Rect WindowFrame(int64_t window);    // the outer frame on the screen
ui::Rect PrimaryScreen();                // the whole primary screen
ui::Rect AvailableArea(int64_t window);  // the available area of the window's screen
bool WindowVisible(int64_t window);
bool WindowMaximized(int64_t window);
bool WindowMinimized(int64_t window);
struct WindowDecorations {
  bool title_bar, close_box, minimize_box, maximize_box, resizable, tool;
  bool operator==(const WindowDecorations&) const = default;
};
WindowDecorations DecorationsOf(int64_t window);
bool WindowEnabled(int64_t window);
bool WidgetEnabled(int64_t widget);
runtime::Text WindowTitle(int64_t window);
int64_t FocusedWidget();  // -1 when no widget of ours has the focus

// How a column list shows one cell: where it lies in the list's visible area, how wide that area is,
// whether its text fits whole in it, and on which side the text keeps.
struct CellView {
  ui::Rect cell;
  int32_t visible_width = 0;
  bool whole = false;
  bool right_aligned = false;
};
CellView ShownCell(int64_t widget, int64_t row, int64_t column);
// Whether a list's or tree's selection is drawn marked while another control has the focus.
bool SelectionShownWithoutFocus(int64_t widget);
// Whether the window shows an icon of the program's own, not the system's default.
bool WindowHasOwnIcon(int64_t window);

// Items of list boxes, column lists (rows) and folder trees (pre-order positions).
ui::Rect ItemRect(int64_t widget, int64_t item);
runtime::Text ShownItemText(int64_t widget, int64_t item);
void ExpandItem(int64_t widget, int64_t item);
void ScrollToItem(int64_t widget, int64_t item);
int64_t ColumnTotal(int64_t widget);
runtime::Text ColumnTitle(int64_t widget, int64_t column);
// Tree structure; ChildAt is -1 past the last child, ItemTag as in folder_tree_rules.h.
int64_t ChildCount(int64_t widget, int64_t item);
int64_t ChildAt(int64_t widget, int64_t item, int64_t index);
bool ItemExpanded(int64_t widget, int64_t item);
bool ItemHasExpandButton(int64_t widget, int64_t item);
uint32_t ItemTag(int64_t widget, int64_t item);
// Selected items in order, and those the last drag started with.
std::vector<int64_t> SelectedItems(int64_t widget);
std::vector<int64_t> DraggedItems(int64_t widget);
// The folder trees' drive-not-ready prompt in a window.
bool DrivePromptOpen(int64_t window);
void CancelDrivePrompt(int64_t window);

// Saves what the window shows (PNG of the content with Qt, BMP of frame and content on Windows).
bool SaveWindowPicture(int64_t window, const std::string& path);
// Dark pixels (text) in what the screen holds of a control's content area: what was painted last,
// not what the control would paint now.
int64_t ShownInkPixels(int64_t widget);

}  // namespace ui_driver
