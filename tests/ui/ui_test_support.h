// Helpers shared by the widget-layer tests: a way to read back what the event queue holds without
// ever blocking.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "tests/ui/driver.h"
#include "ui/event_queue.h"

namespace ui_test {

struct Event {
  int32_t code;
  int64_t object;
  int64_t window;
  int64_t type;
  bool operator==(const Event&) const = default;
};

inline void PrintTo(const Event& e, std::ostream* os) {
  *os << "{" << e.code << ", " << e.object << ", " << e.window << ", " << e.type << "}";
}

// Fetches every queued event.
inline std::vector<Event> Drain() {
  std::vector<Event> out;
  while (ui::QueuedEventCount() > 0) {
    const int32_t code = ui::EventWait();
    out.push_back(Event{code, ui::EventSource(), ui::EventWindow(), ui::EventKind()});
  }
  return out;
}

// Lets the toolkit deliver what is pending (without waiting), then fetches every queued event.
inline std::vector<Event> PumpAndDrain() {
  ui_driver::Process();
  return Drain();
}

// The middle of a list row or tree item, where a click lands on it.
inline ui::Point ItemCentre(int64_t widget, int64_t item) {
  const ui::Rect r = ui_driver::ItemRect(widget, item);
  return ui::Point{r.x + (r.width - 1) / 2, r.y + (r.height - 1) / 2};
}

// Only the events of one code.
inline std::vector<Event> Only(const std::vector<Event>& events, int32_t code) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.code == code) out.push_back(e);
  }
  return out;
}

}  // namespace ui_test
