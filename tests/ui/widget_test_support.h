// Shared set-up of the window and widget tests: queued events read back without ever blocking, and
// one window to hold the widgets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/ui/driver.h"
#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui_test {

struct Event {
  int32_t code;
  int64_t object;
  int64_t window;
  int64_t type;
  bool operator==(const Event&) const = default;
};

// Fetches every queued event, or only those of `code` when one is given.
inline std::vector<Event> Drain(int32_t code = 0) {
  std::vector<Event> out;
  while (ui::QueuedEventCount() > 0) {
    const Event e{ui::EventWait(), ui::EventSource(), ui::EventWindow(), ui::EventKind()};
    if (code == 0 || e.code == code) out.push_back(e);
  }
  return out;
}

// The same after the toolkit has delivered what is pending.
inline std::vector<Event> PumpAndDrain(int32_t code = 0) {
  ui_driver::Process();
  return Drain(code);
}

// The middle of a list row or tree item, where a click lands on it.
inline ui::Point ItemCentre(int64_t widget, int64_t item) {
  const ui::Rect r = ui_driver::ItemRect(widget, item);
  return ui::Point{r.x + (r.width - 1) / 2, r.y + (r.height - 1) / 2};
}

}  // namespace ui_test

namespace widgettest {

// (widget number, widget event type) of every widget event delivered so far.
inline std::vector<std::pair<int64_t, int64_t>> DrainWidgetEvents() {
  std::vector<std::pair<int64_t, int64_t>> events;
  for (const ui_test::Event& e : ui_test::PumpAndDrain(ui::EventWidget)) events.emplace_back(e.object, e.type);
  return events;
}

// Whether the widget events delivered so far hold one of `type` from `widget`.
inline bool Posted(int64_t widget, int64_t type) {
  const std::vector<std::pair<int64_t, int64_t>> events = DrainWidgetEvents();
  return std::find(events.begin(), events.end(), std::pair{widget, type}) != events.end();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 10, 10, 600, 600, u"widgets", 0xCC0000), 0);
    ASSERT_TRUE(ui_driver::WaitForWindowShown(0));
    ui_test::PumpAndDrain();
  }
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
};

}  // namespace widgettest
