// Numbered top-level windows and the display scale.
//
// A native window is `void*` here: the toolkit's window, a QWidget* with Qt, an HWND on Windows.
//
// Coordinates and sizes given to windows, widgets and list columns are in 1/96 inch and scaled by
// the screen's logical density, read once by InitWindows. With Qt's own high-DPI scaling on, Qt
// reports 96 and scales by itself, so nothing is scaled twice.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"
#include "ui/geometry.h"

namespace ui {

// Runtime bits of WindowCreate's flags; every other bit is a platform window style bit.
constexpr uint32_t kWindowCentreOnScreen = 0x1;
constexpr uint32_t kWindowCentreOnParent = 0x2;
constexpr uint32_t kWindowTool = 0x4;
constexpr uint32_t kWindowNotContainer = 0x8;
constexpr uint32_t kWindowNoActivate = 0x2000000;
constexpr uint32_t kWindowHidden = 0x10000000;

// Platform window style bits; each backend maps them onto its toolkit's window flags.
constexpr uint32_t kStyleCaption = 0xC00000;  // title bar (border + dialog frame)
constexpr uint32_t kStyleBorder = 0x800000;
constexpr uint32_t kStyleSystemMenu = 0x80000;   // close box
constexpr uint32_t kStyleSizingFrame = 0x40000;  // border the user can drag
constexpr uint32_t kStyleMinimizeBox = 0x20000;
constexpr uint32_t kStyleMaximizeBox = 0x10000;
constexpr uint32_t kStyleMaximize = 0x1000000;
constexpr uint32_t kStyleMinimize = 0x20000000;
constexpr uint32_t kStyleDisabled = 0x8000000;
constexpr uint32_t kStylePopup = 0x80000000;

// x or y of this value: let the window system choose the position.
constexpr int32_t kWindowPositionIgnore = -65535;

struct WindowFilter;  // the window's event handler

struct WindowRecord {
  void* window;               // the toolkit's window; live while non-null
  WindowFilter* filter;       // turns the window's toolkit events into queued events
  int32_t accelerator_count;  // Tab and Shift+Tab: always 2
  int32_t minimized_or_maximized;
  int32_t ready;  // 0 while being built; moves and sizes are reported only when 1
  int32_t reserved;
  runtime::ObjectNumber number;
};

// Reads the display density and creates the window table. Needs the toolkit started; false without.
bool InitWindows();
// Destroys every window still open.
void ShutdownWindows();

// Opens a top-level window. x, y: outer top-left corner; width, height: client area; all in 1/96
// inch. A window placed at a corner whose frame would pass the right or bottom edge of its screen's
// available area is moved left and up just enough to fit, and to the area's top-left corner when it is
// larger than the area (WindowSetLayout makes such a window smaller). Returns the number chosen for AnyId, otherwise a
// non-zero handle; 0 on failure.
int64_t WindowCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                     runtime::TextView title, uint32_t flags, void* parent = nullptr);

// Closes one window, or every window for AnyId. Numbers that name no window are ignored.
void WindowDestroy(runtime::ObjectNumber number);

// The window's native window (a QWidget* with Qt, an HWND on Windows), or nullptr.
void* WindowWidget(runtime::ObjectNumber number);

// The number of the window that contains the control ("VX_WindowID" of the nearest ancestor minus
// one), -1 when none. `control`: the toolkit's control, a QWidget* with Qt, an HWND on Windows.
int64_t WindowNumberOf(const void* control);

// The paths of what was last dropped onto the window (EventWindowDrop), in the order the drag gave
// them; empty when nothing was.
std::vector<runtime::Text> WindowDroppedPaths(runtime::ObjectNumber window);

// Where an outer rectangle (a window's frame) wanted at `wanted` goes to lie inside `area`: larger
// than the area, it is made as small as the area but never smaller than `least`; then it is moved as
// little as it takes (past the right or bottom edge: left and up). What still does not fit has its
// top-left corner at the area's, so a title bar is never above or left of the area.
Rect FitIntoArea(Rect wanted, Size least, Rect area);

// MulDiv(v, density, 96): rounded to the nearest, halves away from zero.
int32_t ScaleX(int32_t v);
int32_t ScaleY(int32_t v);
struct ScaledRect {
  int32_t x, y, width, height;
};
ScaledRect ScaleRect(int32_t x, int32_t y, int32_t width, int32_t height);

// The density in use (96 before InitWindows). The backend sets it from the screen it reads.
int32_t DisplayDensityX();
int32_t DisplayDensityY();

// MulDiv as the platform defines it: 64-bit product, nearest, halves away from zero; -1 when the
// divisor is 0 or the result does not fit.
int32_t MulDiv(int32_t value, int32_t numerator, int32_t denominator);

}  // namespace ui
