// A window whose controls follow its client area: each control's edges move by a share of what the
// client area has more or less than its designed size, and a smallest size keeps every control
// usable. At the designed size every control is exactly where it was created.
//
// The arithmetic is plain; the backends call LayOutWindow whenever a window's client area changes.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry.h"
#include "ui/geometry.h"

namespace ui {

// Shares, in percent, of the extra (or missing) width that a control's left and right edges move by,
// and of the extra height for its top and bottom edges.
struct EdgeShares {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const EdgeShares&) const = default;
};

// A window may give its controls room as it grows in another way than it takes room as it shrinks:
// a list that takes all the extra height cannot also give up all the height a small window lacks.
struct LayoutRule {
  EdgeShares growing;
  EdgeShares shrinking;
};

// Where a control designed at `designed` for a client area of `designed_client` lies in a client area
// of `client`: every edge moves by its share of the difference, rounded to the nearest pixel (halves
// away from zero), so two edges with the same share keep their distance. The width and height never go
// below 0. All in pixels.
Rect LaidOut(Rect designed, Size designed_client, Size client, const LayoutRule& rule);

// What a column list's column asks of the list's visible width (column_list.h's column styles).
struct ColumnNeed {
  int32_t width = 0;  // its width now, kept unless one of the two below is set
  int32_t texts = 0;  // fits_texts: what its widest text (title included) takes
  bool fits_texts = false;
  bool fills = false;  // takes what the others leave
};

// The widths of a list's columns in `room` pixels of visible width: every column keeps its width but a
// fits_texts one, which gets what its texts take; the first fills column gets what is left, yet at
// least a third of the room, and when that is not left the fits_texts columns give up the difference
// (from the last column backwards), so every column stays in view and the narrowed ones elide their
// texts instead of being cut at the list's edge.
std::vector<int32_t> FitColumnWidths(int32_t room, const std::vector<ColumnNeed>& columns);

// The entry of the window's status line (status_line.h) instead of a widget number.
constexpr runtime::ObjectNumber kLayoutStatusLine = -2;

struct LayoutEntry {
  runtime::ObjectNumber target;  // a widget of the window, or kLayoutStatusLine
  LayoutRule rule;
};

// From now on the window's controls follow its client area by `entries`, and the user cannot make
// the client area smaller than `minimum`. Each control's present geometry is its designed place for a
// client area of `designed`; sizes in 1/96 inch. A window larger than its screen's available area is
// made smaller, down to `minimum`, and moved so that its frame, title bar included, lies inside the
// area (its top-left corner at the area's when even the minimum does not fit). Entries that name no
// control are left out. False when the number names no window.
bool WindowSetLayout(runtime::ObjectNumber window, Size designed, Size minimum,
                     const std::vector<LayoutEntry>& entries);

// Places the window's controls for a client area of `client` pixels; nothing for a window without a
// layout. Called by the backends when the client area changes.
void LayOutWindow(runtime::ObjectNumber window, Size client);

}  // namespace ui
