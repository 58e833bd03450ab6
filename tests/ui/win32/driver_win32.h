// What the Win32 driver's files share: pumping messages without losing a wake-up, and the list
// box's items, which the item inspection of driver_items_win32.cpp reaches through these.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/text.h"
#include "ui/geometry.h"
#include "ui/win32/win32_ui.h"

namespace ui_driver {

// Handles every message that is waiting and what follows from it, until the thread is idle.
void PumpIdle();

// True for a control of the list box class.
bool IsListBox(HWND control);
// A list box row: where it is in the client area (empty when there is none), its text, whether
// it is selected; the selected rows in order.
ui::Rect ListBoxItemRect(HWND list, int64_t item);
runtime::Text ListBoxItemText(HWND list, int64_t item);
std::vector<int64_t> ListBoxSelectedItems(HWND list);

}  // namespace ui_driver
