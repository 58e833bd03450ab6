// What the toolkit-independent core of ui/ needs from the toolkit's backend (ui/qt with Qt, ui/win32 on
// Windows), and the few core services a backend calls back. Internal: only ui/ and its backends include
// it.
//
// A `void* control` is the toolkit's control or window: a QWidget* with Qt, an HWND on Windows. Every
// function runs on the thread that owns the toolkit's application.
//
// Besides these, a backend implements the public operations that make or show native things:
// StartToolkit, StopToolkit and PumpEvents (toolkit.h); InitWindows, ShutdownWindows, WindowCreate,
// WindowDestroy, WindowWidget and WindowNumberOf (window.h; InitWindows calls SetDisplayDensity);
// StatusLineCreate, StatusLineSetText and StatusLineText (status_line.h);
// MessageBoxShow; ButtonCreate, ListBoxCreate, ColumnListCreate, SplitColumnTexts and
// FolderTreeCreate with SetMountTableReader, SetVolumeSpaceQuery and FolderTreeMountsChanged.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"
#include "ui/geometry.h"
#include "ui/widget.h"

namespace ui {

// ---- Implemented by the backend ----

// InitEvents: false when the toolkit has not been started. Otherwise makes (once) the hidden receiver
// of PostWakeUp's wake-ups and returns true.
bool BackendStartEvents();
// ShutdownEvents: destroys the wake-up receiver.
void BackendStopEvents();
// EventWait with nothing queued: waits without limit for the toolkit's own events, handles one batch of
// them (its handlers may post events) and finishes deferred destruction. True when the batch included
// a wake-up sent by BackendPostWakeUp since the wait began. Returns at once, false, before the toolkit
// starts.
bool BackendWaitEvents();
// PostWakeUp: makes a BackendWaitEvents that is blocked, or the next one, return true. Nothing before
// BackendStartEvents.
void BackendPostWakeUp();

// InitWidgets: false when the toolkit has not been started; otherwise makes the shared font (the
// platform's message font) that every registered control gets.
bool BackendStartWidgets();
// ShutdownWidgets, after every widget is gone: drops the shared font.
void BackendStopWidgets();

// RegisterWidget, with record->control, ops and number filled: installs the common handler that offers
// every event of the control (and of its viewport) to record->ops->notify first and passes on what it
// does not take, sets the control's widget number ("VX_ID") to record->number, gives it the shared font
// and arranges that ControlDestroyed(record->number, control) runs whenever the control is destroyed,
// by whatever means.
void BackendAttachControl(WidgetRecord* record);
// The control's widget number ("VX_ID"); -1 when it carries none (not ours) or is being destroyed.
int64_t BackendControlNumber(const void* control);
// Destroys a control (and everything inside it) after marking it as being destroyed, so that its
// handlers post nothing more. Also used for a control that never became a widget.
void BackendDestroyControl(void* control);
// WidgetText and WidgetSetText for a kind without text slots: a button's caption, else the control's
// window title.
runtime::Text BackendControlText(void* control);
void BackendSetControlText(void* control, runtime::TextView text);
// WidgetEnable and WidgetEnabled.
void BackendEnableControl(void* control, bool enabled);
bool BackendControlEnabled(const void* control);
// WidgetFocus and WidgetHasFocus.
void BackendFocusControl(void* control);
bool BackendControlHasFocus(const void* control);

// For window layouts (layout.h), in pixels of the window's client area: a control's (or status
// line's) rectangle, moving it, the window's status line (nullptr without one) and client size.
Rect BackendControlRect(const void* control);
void BackendMoveControl(void* control, Rect rect);
void* BackendStatusLine(runtime::ObjectNumber window);
Size BackendClientSize(const void* window);
// Keeps the window's client area at least `minimum` pixels from now on, the user's resizing included;
// a window larger than its screen's available area is made smaller, down to that minimum, and placed
// with its whole frame inside the area (FitIntoArea).
void BackendKeepWindowAtLeast(void* window, Size minimum);

// ---- Implemented by the core, called by a backend ----

// A registered control was destroyed: releases its record (running the kind's release) if the record
// still names this control, and removes its queued widget events.
void ControlDestroyed(runtime::ObjectNumber number, void* control);

// What was dropped onto a window, kept for WindowDroppedPaths before EventWindowDrop is posted.
void SetDroppedPaths(runtime::ObjectNumber window, std::vector<runtime::Text> paths);

// The screen's logical density in dots per inch, read by InitWindows; values <= 0 keep 96.
void SetDisplayDensity(int32_t x, int32_t y);

}  // namespace ui
