#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include "tests/ui/widget_test_support.h"
#include "ui/button.h"

namespace {

using ui_test::Drain;
using ui_test::Event;
using Events = std::vector<Event>;

class EventQueueTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_NE(ui::ButtonCreate(3, 10, 10, 100, 30, u"one"), 0);
    ASSERT_NE(ui::ButtonCreate(4, 10, 50, 100, 30, u"two"), 0);
    ui_test::PumpAndDrain();
  }
};

// One step of a sequence: a user's click on a button, or a call into the queue. For Remove the event
// is the pattern (-1 or any negative matches everything).
enum class Do { Click, Post, Fetch, Remove, Suppress, Resume };
struct Step {
  Do what;
  Event event{};
};

constexpr Event kOne{ui::EventWidget, 3, 0, ui::WidgetEventLeftClick};
constexpr Event kTwo{ui::EventWidget, 4, 0, ui::WidgetEventLeftClick};
constexpr Event kSized{ui::EventWindowSized, 0, 0, 0};
constexpr Event kOther{ui::EventWidget, 4, 7, 2};
const Step kClickOne{Do::Click, kOne};
const Step kClickTwo{Do::Click, kTwo};

TEST_F(EventQueueTest, OnlyAnEventIdenticalToTheLastQueuedOneCoalesces) {
  const struct {
    const char* what;
    std::vector<Step> steps;
    Events left;
  } cases[] = {
      {"identical clicks", {kClickOne, kClickOne}, {kOne}},
      {"another widget in between", {kClickOne, kClickTwo, kClickOne}, {kOne, kTwo, kOne}},
      {"after the only record was fetched", {kClickOne, {Do::Fetch}, kClickOne}, {kOne}},
      {"fetching the head keeps the tail",
       {{Do::Post, kOne}, {Do::Post, kTwo}, {Do::Fetch}, {Do::Post, kTwo}, {Do::Post, kOne}},
       {kTwo, kOne}},
      {"removing by object over every window moves the tail",
       {{Do::Post, kOne},
        {Do::Post, kSized},
        {Do::Post, kOther},
        {Do::Post, {ui::EventWidget, 3, 1, 0}},
        {Do::Remove, {ui::EventWidget, 3, -5, -1}},
        {Do::Post, kOther}},
       {kSized, kOther}},
      {"an emptied queue starts anew", {{Do::Post, kOne}, {Do::Remove, {-1, -1, -1, -1}}, {Do::Post, kOne}}, {kOne}},
      {"suppression nests, and an extra resume does not go below zero",
       {{Do::Suppress}, {Do::Suppress}, kClickOne, {Do::Resume}, kClickOne, {Do::Resume}, {Do::Resume}, kClickTwo},
       {kTwo}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Step& s : c.steps) {
      const Event& e = s.event;
      switch (s.what) {
        case Do::Click: ui_driver::Click(e.object); break;
        case Do::Post: ui::PostEvent(e.code, e.object, e.window, e.type); break;
        case Do::Fetch: ASSERT_EQ(ui::EventWait(), ui::EventWidget); break;
        case Do::Remove: ui::RemoveEvents(e.code, e.object, e.window, e.type); break;
        case Do::Suppress: ui::SuppressEvents(); break;
        case Do::Resume: ui::ResumeEvents(); break;
      }
    }
    // Only what the steps made: activation and painting may add their own events.
    Events left;
    for (const Event& e : Drain()) {
      if (e.code == ui::EventWidget || e.code == ui::EventWindowSized) left.push_back(e);
    }
    EXPECT_EQ(left, c.left);
  }
}

TEST_F(EventQueueTest, WaitWithoutQueuedEventReturnsNoCodeAndKindMinusOne) {
  ui_driver::Click(4);
  ASSERT_EQ(ui::EventWait(), ui::EventWidget);
  ASSERT_EQ(ui::EventKind(), 0);
  bool ran = false;
  ui_driver::RunSoon([&ran] { ran = true; });
  EXPECT_EQ(ui::EventWait(), ui::kWaitToolkitEvents);
  EXPECT_TRUE(ran);
  EXPECT_EQ(ui::EventKind(), -1);
  EXPECT_EQ(ui::EventSource(), 4);  // the object of the last event fetched is kept
}

}  // namespace
