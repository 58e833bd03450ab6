// What every toolkit keeps of a window the same way: its layout and what was last dropped onto it.
#include "ui/layout.h"

#include <algorithm>
#include <map>

#include "ui/backend.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {
namespace {

struct PlacedControl {
  runtime::ObjectNumber target;
  void* control;  // to tell a control made again under the same number
  Rect designed;
  LayoutRule rule;
};

struct WindowLayoutRecord {
  void* window;  // to tell a window made again under the same number
  Size designed;
  std::vector<PlacedControl> controls;
};

std::map<runtime::ObjectNumber, WindowLayoutRecord>& Layouts() {
  static std::map<runtime::ObjectNumber, WindowLayoutRecord> layouts;
  return layouts;
}

// The share in percent of a difference, halves away from zero.
int32_t ShareOf(int32_t difference, int32_t percent) { return MulDiv(difference, percent, 100); }

void* TargetControl(runtime::ObjectNumber window, runtime::ObjectNumber target) {
  return target == kLayoutStatusLine ? BackendStatusLine(window) : WidgetControl(target);
}

std::map<runtime::ObjectNumber, std::vector<runtime::Text>>& Dropped() {
  static std::map<runtime::ObjectNumber, std::vector<runtime::Text>> dropped;
  return dropped;
}

}  // namespace

void SetDroppedPaths(runtime::ObjectNumber window, std::vector<runtime::Text> paths) {
  Dropped()[window] = std::move(paths);
}

std::vector<runtime::Text> WindowDroppedPaths(runtime::ObjectNumber window) {
  const auto found = Dropped().find(window);
  return found != Dropped().end() ? found->second : std::vector<runtime::Text>();
}

Rect LaidOut(Rect designed, Size designed_client, Size client, const LayoutRule& rule) {
  const int32_t wider = client.width - designed_client.width;
  const int32_t taller = client.height - designed_client.height;
  const EdgeShares& x = wider >= 0 ? rule.growing : rule.shrinking;
  const EdgeShares& y = taller >= 0 ? rule.growing : rule.shrinking;
  const int32_t left = designed.x + ShareOf(wider, x.left);
  const int32_t top = designed.y + ShareOf(taller, y.top);
  const int32_t right = designed.x + designed.width + ShareOf(wider, x.right);
  const int32_t bottom = designed.y + designed.height + ShareOf(taller, y.bottom);
  return Rect{left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

std::vector<int32_t> FitColumnWidths(int32_t room, const std::vector<ColumnNeed>& columns) {
  std::vector<int32_t> widths;
  int fill = -1;
  int32_t others = 0;
  for (const ColumnNeed& c : columns) {
    if (c.fills && fill < 0) fill = static_cast<int>(widths.size());
    widths.push_back(std::max(0, c.fits_texts ? c.texts : c.width));
    if (fill != static_cast<int>(widths.size()) - 1) others += widths.back();
  }
  if (fill < 0) return widths;
  const int32_t least = std::max(0, room) / 3;
  int32_t missing = std::max(0, others - (std::max(0, room) - least));
  for (size_t i = columns.size(); i-- > 0 && missing > 0;) {
    if (!columns[i].fits_texts || static_cast<int>(i) == fill) continue;
    const int32_t given = std::min(missing, widths[i]);
    widths[i] -= given;
    others -= given;
    missing -= given;
  }
  widths[static_cast<size_t>(fill)] = std::max(least, room - others);
  return widths;
}

bool WindowSetLayout(runtime::ObjectNumber window, Size designed, Size minimum,
                     const std::vector<LayoutEntry>& entries) {
  void* native = WindowWidget(window);
  if (native == nullptr) return false;
  WindowLayoutRecord record{native, Size{ScaleX(designed.width), ScaleY(designed.height)}, {}};
  for (const LayoutEntry& e : entries) {
    void* control = TargetControl(window, e.target);
    if (control != nullptr) record.controls.push_back({e.target, control, BackendControlRect(control), e.rule});
  }
  Layouts()[window] = std::move(record);
  BackendKeepWindowAtLeast(native, Size{ScaleX(minimum.width), ScaleY(minimum.height)});
  LayOutWindow(window, BackendClientSize(native));
  return true;
}

void LayOutWindow(runtime::ObjectNumber window, Size client) {
  const auto found = Layouts().find(window);
  if (found == Layouts().end()) return;
  const WindowLayoutRecord& record = found->second;
  if (WindowWidget(window) != record.window) {
    Layouts().erase(found);  // the window it was made for is gone
    return;
  }
  for (const PlacedControl& c : record.controls) {
    if (TargetControl(window, c.target) != c.control) continue;  // gone or made anew meanwhile
    BackendMoveControl(c.control, LaidOut(c.designed, record.designed, client, c.rule));
  }
}

}  // namespace ui
