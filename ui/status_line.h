// One line of text along a window's edge that tells the user what the program is doing. It is not a
// numbered widget: it posts no events, takes no focus and is left out of Tab's cycle. A text wider
// than the line is shown elided in its middle, so both the start and the end of a path stay readable;
// StatusLineText still gives it whole.
#pragma once

#include <cstdint>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace ui {

// Gives a window its status line (or moves the one it has) at a rectangle of its client area, in
// 1/96 inch. False when the number names no window.
bool StatusLineCreate(runtime::ObjectNumber window, int32_t x, int32_t y, int32_t width, int32_t height);

// Nothing for a window without a status line.
void StatusLineSetText(runtime::ObjectNumber window, runtime::TextView text);

// "" for a window without a status line.
runtime::Text StatusLineText(runtime::ObjectNumber window);

}  // namespace ui
