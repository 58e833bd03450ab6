// Shared set-up of the widget tests: one window to hold the widgets and the events they post.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/ui/driver.h"
#include "tests/ui/ui_test_support.h"
#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace widgettest {

// (widget number, widget event type) of every EventWidget queued so far, fetched from the queue.
inline std::vector<std::pair<int64_t, int64_t>> DrainWidgetEvents() {
  ui_driver::Process();
  std::vector<std::pair<int64_t, int64_t>> events;
  while (ui::QueuedEventCount() > 0) {
    if (ui::EventWait() == ui::EventWidget) events.emplace_back(ui::EventSource(), ui::EventKind());
  }
  return events;
}

// Whether `events` hold one of `type` from `widget`.
inline bool Posted(const std::vector<std::pair<int64_t, int64_t>>& events, int64_t widget, int64_t type) {
  return std::find(events.begin(), events.end(), std::pair<int64_t, int64_t>{widget, type}) != events.end();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 10, 10, 600, 600, u"widgets", 0xCC0000), 0);
    ASSERT_TRUE(ui_driver::WaitForWindowShown(0));
  }
  void TearDown() override {
    ui::WindowDestroy(0);
    DrainWidgetEvents();
  }
};

}  // namespace widgettest
