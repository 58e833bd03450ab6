// The native top-level window: its class, a window procedure that hands every message the system
// cares about to a plain callback table, display density, and the pieces of the message loop.
//
// Nothing here knows the event queue or the widget table: the layer above fills the callbacks and
// turns them into the system's own events. Positions and sizes are device pixels; the caller
// scales its 1/96-inch units first (NativeScale).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui::win32 {

// What WM_SIZE reported.
enum class NativeSizeKind { Restored, Minimized, Maximized, Other };
// Mouse releases and double-clicks on the window's own client area (child controls keep theirs).
enum class NativeClickKind { LeftUp, LeftDouble, RightUp };
// How a wait for messages ended.
enum class NativeWaitResult { Messages, WakeUp, Timeout, Quit };

// A message a child control sent to its parent: WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL or
// one of the WM_CTLCOLOR* family, with the control that sent it.
struct NativeControlMessageRecord {
  HWND control;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Every slot may be empty. `context` is handed back unchanged.
struct NativeWindowCallbacks {
  // The close box, the system menu or Alt+F4: the window is never destroyed by this.
  void (*CloseAsked)(void* context, HWND window);
  void (*Activated)(void* context, HWND window, bool active);
  void (*Moved)(void* context, HWND window);
  void (*Sized)(void* context, HWND window, NativeSizeKind kind);
  // The background is being erased: the window is about to be repainted.
  void (*Repainting)(void* context, HWND window);
  void (*Clicked)(void* context, HWND window, NativeClickKind kind);
  // Returns true when handled; *result is then the message's result. Not handled: the default.
  bool (*ControlMessage)(void* context, HWND window, const NativeControlMessageRecord& message, LRESULT* result);
  void (*DeviceChanged)(void* context, HWND window, WPARAM event, LPARAM data);
  // After the window has taken the rectangle the system suggested for the new density.
  void (*DensityChanged)(void* context, HWND window, UINT dpi);
  // Last message the window receives; the callbacks are not called again for it.
  void (*Destroyed)(void* context, HWND window);
  // Escape was pressed in the window, whichever of its controls had the focus.
  void (*CancelAsked)(void* context, HWND window);
  // Files or folders were dropped onto the window (NativeAcceptDrops): their full paths.
  void (*Dropped)(void* context, HWND window, const std::vector<std::wstring>& paths);
};

struct NativeWindowRecord {
  const wchar_t* class_name;
  const wchar_t* title;  // null: empty
  int x;                 // outer top-left corner; CW_USEDEFAULT lets the system choose
  int y;
  int client_width;
  int client_height;
  DWORD style;  // the platform's own bits, passed through (WS_VISIBLE is dropped)
  DWORD ex_style;
  HWND owner;  // null: none
};

// Registers a window class for NativeWindowCreate: double-click messages, arrow cursor, the
// program's icon (resource 1, else the default one), button-face background. Returns false when
// the system refuses.
bool NativeRegisterWindowClass(const wchar_t* class_name);
void NativeUnregisterWindowClass(const wchar_t* class_name);

// Creates the window hidden, with the client area of the given size at the system's density.
// The callback table must outlive the window. Returns null when the system refuses.
HWND NativeWindowCreate(const NativeWindowRecord& wanted, const NativeWindowCallbacks* callbacks, void* context);

// The density a window is shown at (GetDpiForWindow; the screen's LOGPIXELSX where it is missing).
UINT NativeWindowDpi(HWND window);
// The screen's density: horizontal (LOGPIXELSX) and vertical (LOGPIXELSY).
UINT NativeScreenDpiX();
UINT NativeScreenDpiY();
// value * dpi / 96 to the nearest integer, halves away from zero (MulDiv).
int NativeScale(int value, UINT dpi);

// Keeps the window's client area at least this size (device pixels) when the user resizes it.
void NativeSetMinimumClientSize(HWND window, int width, int height);
// Lets the user drop files and folders from the shell onto the window (Dropped).
void NativeAcceptDrops(HWND window);
// True for a top-level window made by NativeWindowCreate, whoever has subclassed it since.
bool NativeIsOurWindow(HWND window);

// Named per-window numbers (SetPropW with the layer's own names such as "VX_WindowID"). A
// missing property reads as 0.
bool NativeSetNumber(HWND window, const wchar_t* name, int64_t value);
int64_t NativeNumber(HWND window, const wchar_t* name);
void NativeRemoveNumber(HWND window, const wchar_t* name);

// Moves the keyboard focus to the next (or previous) enabled, visible tab-stop child of the
// window in creation order, wrapping around. Returns the control now focused, null when none.
HWND NativeCycleFocus(HWND window, bool backward);

// Binds the message loop to the calling thread. Call once before waiting. Returns false when
// the wake-up event cannot be made.
bool NativeInitMessageLoop();
void NativeShutdownMessageLoop();
// Waits (up to timeout_ms, INFINITE for no limit) for messages or a wake-up, then handles every
// message that is waiting. Tab and Shift+Tab in one of our windows move the focus instead of
// reaching the focused control; Escape there goes to the window's CancelAsked.
NativeWaitResult NativeWaitMessages(DWORD timeout_ms);
// Ends a blocked NativeWaitMessages with WakeUp. Safe from any thread.
void NativeWakeWait();

}  // namespace ui::win32
