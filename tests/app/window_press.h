// The real window pressed as a user would, for the window tests and the screenshot tool.
#pragma once

#include "app/shell.h"
#include "platform/path.h"
#include "tests/ui/driver.h"
#include "ui/event_queue.h"
#include "ui/widget.h"

namespace app::windowpress {

using runtime::Text;
using runtime::TextView;

// Handles every event that simulated input has queued, as the program's loop would; false once the
// loop would end.
inline bool DispatchQueued() {
  bool running = true;
  while (running && ui::QueuedEventCount() > 0) running = DispatchEvent(ui::EventWait());
  return running;
}

// The child of `item` whose path is `path`, -1 when it has none.
inline int64_t ChildWithPath(int64_t item, TextView path) {
  ui_driver::ExpandItem(FolderTreeWidget, item);
  for (int64_t i = 0; i < ui_driver::ChildCount(FolderTreeWidget, item); ++i) {
    const int64_t child = ui_driver::ChildAt(FolderTreeWidget, item, i);
    if (ui::ItemText(FolderTreeWidget, child, 0) == path) return child;
  }
  return -1;
}

// Opens the tree from `item`, a folder above `path`, name by name down to `path` (a folder's ends in
// the separator) and clicks its item; true when the tree then names it.
inline bool ChooseInTree(int64_t item, const Text& path) {
  const Text start = ui::ItemText(FolderTreeWidget, item, 0);
  if (path.compare(0, start.size(), start) != 0) return false;
  for (size_t end = start.size(); item >= 0 && end < path.size();) {
    const size_t separator = path.find(platform::kPathSeparator, end);
    end = separator == Text::npos ? path.size() : separator + 1;
    item = ChildWithPath(item, TextView(path).substr(0, end));
  }
  if (item < 0) return false;
  ui_driver::ExpandItem(FolderTreeWidget, item);  // scrolls it into view
  const ui::Rect where = ui_driver::ItemRect(FolderTreeWidget, item);
  // Deep items are indented past the narrow tree's middle: click near the start of the label.
  ui_driver::ClickAt(FolderTreeWidget, {where.x + 12, where.y + (where.height - 1) / 2});
  return DispatchQueued() && ui::WidgetText(FolderTreeWidget) == path;
}

}  // namespace app::windowpress
