// Column lists (kind 12): rows of texts under a header, one row per item. An item's text holds the
// texts of successive columns separated by line feeds.
//
// State: the first selected row, -1 for none. Text: column 0 of that row. Item text (row, column):
// that cell, "" when the row does not exist; row -1 gives the column's title.
//
// Events: a row becoming selected posts WidgetEventChange and records the row in the control's
// "VX_LastSelected" property; a row losing its selection and a check box changing post
// WidgetEventChange. A left press beside the rows lets go of every row and runs the deselection check
// at once, so it reports one WidgetEventChange. Releasing the left button first runs the deselection
// check (no row selected while "VX_LastSelected" still names one: it becomes -1 and WidgetEventChange
// is posted) and then posts WidgetEventLeftClick when a row is selected; the right button runs the check and posts
// WidgetEventRightClick. Double-clicks post WidgetEventDoubleClick (also on empty space) and
// WidgetEventRightDoubleClick; a header click stores the column in "VX_ClikedColumn" and posts
// WidgetEventColumnClick; dragging rows posts WidgetEventDragStart with the selected rows in
// "VX_DragItems".
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace ui {

// Creation flags.
constexpr uint32_t kListCheckBoxes = 0x1;
constexpr uint32_t kListMultipleSelection = 0x4;
constexpr uint32_t kListThreeStateChecks = 0x40;  // together with kListCheckBoxes
constexpr uint32_t kListGridLines = 0x10000;
constexpr uint32_t kListReorderColumns = 0x10000000;
constexpr uint32_t kListFullRowSelect = 0x40000000;

// Colour selectors (platform colour values 0x00BBGGRR, -1 = default).
constexpr int64_t kListColourText = 1;
constexpr int64_t kListColourBackground = 2;
constexpr int64_t kListColourGrid = 3;

// Attributes (slots 25 and 26).
constexpr int64_t kListAttributeView = 2;  // 3 = report, the only view
constexpr int64_t kListAttributeColumnCount = 3;
constexpr int64_t kListAttributeClickedColumn = 4;

// Item state bits (slots 13 and 14).
constexpr int64_t kListItemSelected = 1;
constexpr int64_t kListItemChecked = 2;
constexpr int64_t kListItemPartlyChecked = 4;

// Column styles (ColumnListSetColumnStyle). A text wider than its column is always shown elided with
// "…", never cut; ItemText still gives it whole.
constexpr uint32_t kColumnAlignRight = 0x1;   // texts and title keep to the right edge (numbers)
constexpr uint32_t kColumnElideMiddle = 0x2;  // a text too wide loses its middle instead of its end
constexpr uint32_t kColumnFitsTexts = 0x4;    // as wide as its widest text and its title
constexpr uint32_t kColumnFillsList = 0x8;    // takes the visible width the other columns leave
// With fitting or filling columns the columns follow the list's visible width (FitColumnWidths in
// layout.h) whenever it or the texts change. Nothing for a column or number that does not exist.
void ColumnListSetColumnStyle(runtime::ObjectNumber number, int64_t column, uint32_t style);

// Creates the list with its first column in the current widget container. Returns what
// RegisterWidget returns; 0 without a container window.
int64_t ColumnListCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         runtime::TextView first_title, int32_t first_width, uint32_t flags = 0);

// The texts of successive columns in an item's text: cut at every line feed; "" gives one empty text
// and a final line feed one empty text after the last piece.
std::vector<runtime::Text> SplitColumnTexts(runtime::TextView text);

}  // namespace ui
