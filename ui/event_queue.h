// The system's own event queue. Window and widget handlers turn toolkit events into numbered
// events; the application takes them one at a time through EventWait.
//
// Everything here runs on the thread that owns the toolkit's application; nothing takes a lock.
#pragma once

#include <cstdint>

namespace ui {

// Event codes (the values are shared with the application).
constexpr int32_t EventWidget = 13100;
constexpr int32_t EventWindowActivated = 13104;
constexpr int32_t EventWindowMinimized = 13107;
constexpr int32_t EventWindowMaximized = 13108;
constexpr int32_t EventWindowRestored = 13109;
constexpr int32_t EventWindowRightClick = 13111;
constexpr int32_t EventWindowLeftClick = 13112;
constexpr int32_t EventWindowLeftDoubleClick = 13113;
constexpr int32_t EventWindowDeactivated = 13114;
constexpr int32_t EventWindowRepaint = 13115;
constexpr int32_t EventCloseWindow = 13116;
constexpr int32_t EventWindowMoved = 13117;
constexpr int32_t EventWindowSized = 13118;
// Escape was pressed in the window, whichever of its controls had the focus: the user's way to
// call off what the program is doing.
constexpr int32_t EventWindowCancel = 13119;
// Files or folders were dropped onto the window from a file manager: WindowDroppedPaths names them.
constexpr int32_t EventWindowDrop = 13120;

// Widget event types: the type of an EventWidget.
constexpr int64_t WidgetEventLeftClick = 0;  // also: a button was pressed, a list box selection changed
constexpr int64_t WidgetEventRightClick = 1;
constexpr int64_t WidgetEventDoubleClick = 2;
constexpr int64_t WidgetEventRightDoubleClick = 3;
constexpr int64_t WidgetEventColumnClick = 8;
constexpr int64_t WidgetEventChange = 768;
constexpr int64_t WidgetEventDragStart = 14002;

// What EventWait returns when no queued event was waiting: it let the toolkit wait for and handle
// one batch of its own events. Neither value is an event code; the application ignores both.
constexpr int32_t kWaitToolkitEvents = 0x0400;
// The batch included the wake-up that follows a close request, so the request is fetched next.
constexpr int32_t kWaitWakeUp = 0xC000;

// Sets up the queue, its record pool and the hidden object that receives wake-ups. Needs the
// toolkit started. Returns false when it cannot (no application, no memory). Calling it again
// empties the queue.
bool InitEvents();
// Drops every queued event and the hidden object.
void ShutdownEvents();

// Returns the next queued event code, or else waits without limit for toolkit events, handles
// one batch of them (handlers may post events, which the next call returns) and returns
// kWaitToolkitEvents or kWaitWakeUp.
int32_t EventWait();

// The current event's object: the widget number for EventWidget, the window number for
// EventCloseWindow and EventWindowMoved, else 0. Keeps its value across waits that fetch nothing.
int64_t EventSource();
// The current event's type (the widget event type for EventWidget); -1 when the last EventWait
// did not return a queued event.
int64_t EventKind();
// The window number of the current event, -1 when none.
int64_t EventWindow();

// Appends an event unless events are suppressed or the identical event is already the tail.
void PostEvent(int32_t code, int64_t object, int64_t window, int64_t type);

// Posts EventWidget for a registered control (the toolkit's control: a QWidget* with Qt, an HWND on
// Windows): its number from "VX_ID" (nothing when the control has none or -1, i.e. it is not ours or
// is being destroyed), its window from the nearest ancestor that carries "VX_WindowID" (-1 when none
// does).
void PostWidgetEvent(void* control, int64_t type);

// Removes every queued event that matches. -1 in code, object or type and any negative window
// match anything.
void RemoveEvents(int32_t code, int64_t object, int64_t window, int64_t type);

// While the counter is non-zero every post is dropped. Calls nest.
void SuppressEvents();
void ResumeEvents();

// Wakes an EventWait that is blocked in the toolkit.
void PostWakeUp();

// Number of queued events (for tests and diagnostics).
int64_t QueuedEventCount();

}  // namespace ui
