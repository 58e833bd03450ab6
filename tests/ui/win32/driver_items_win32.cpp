// TEMPORARY: the item inspection of column lists and folder trees comes with their Win32 kinds;
// until then only list boxes answer, and the rest names nothing. The list box branches stay.
#include "tests/ui/driver.h"
#include "tests/ui/win32/driver_win32.h"

namespace ui_driver {

ui::Rect ItemRect(int64_t widget, int64_t item) {
  HWND c = ui::Win32Control(widget);
  return c != nullptr && IsListBox(c) ? ListBoxItemRect(c, item) : ui::Rect{};
}

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  HWND c = ui::Win32Control(widget);
  return c != nullptr && IsListBox(c) ? ListBoxItemText(c, item) : runtime::Text();
}

void ExpandItem(int64_t, int64_t) {}
void ScrollToItem(int64_t, int64_t) {}

int64_t ColumnTotal(int64_t widget) {
  HWND c = ui::Win32Control(widget);
  return c != nullptr && IsListBox(c) ? 1 : 0;
}

runtime::Text ColumnTitle(int64_t, int64_t) { return runtime::Text(); }
int32_t ColumnWidth(int64_t, int64_t) { return 0; }
int64_t ChildCount(int64_t, int64_t) { return 0; }
int64_t ChildAt(int64_t, int64_t, int64_t) { return -1; }
bool ItemExpanded(int64_t, int64_t) { return false; }
bool ItemHasExpandButton(int64_t, int64_t) { return false; }
uint32_t ItemTag(int64_t, int64_t) { return 0; }

std::vector<int64_t> SelectedItems(int64_t widget) {
  HWND c = ui::Win32Control(widget);
  return c != nullptr && IsListBox(c) ? ListBoxSelectedItems(c) : std::vector<int64_t>{};
}

std::vector<int64_t> DraggedItems(int64_t widget) {
  HWND c = ui::Win32Control(widget);
  return c != nullptr ? ui::Win32DraggedItems(c) : std::vector<int64_t>{};
}

bool DrivePromptOpen(int64_t) { return false; }
void CancelDrivePrompt(int64_t) {}

}  // namespace ui_driver
