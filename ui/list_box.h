// Single-column list boxes (kind 6).
//
// Events: a selection change and a left click released without dragging post
// WidgetEventLeftClick; a double-click on an item WidgetEventDoubleClick; a right button release
// WidgetEventRightClick; a left press on an item moved farther than the drag distance
// WidgetEventDragStart, with the selected rows stored in the control's "VX_DragItems" property.
#pragma once

#include <cstdint>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace ui {

// Selection styles in flags (0 = single selection).
constexpr uint32_t kListBoxMultipleSelection = 0x8;
constexpr uint32_t kListBoxExtendedSelection = 0x800;

// Colour selectors of the colour slots.
constexpr int64_t kColourText = 1;
constexpr int64_t kColourBackground = 2;

int64_t ListBoxCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                      uint32_t flags = 0);

}  // namespace ui
