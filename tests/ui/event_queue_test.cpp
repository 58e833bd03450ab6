#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include "tests/ui/driver.h"
#include "ui/button.h"
#include "ui/widget.h"
#include "ui/window.h"
#include "ui_test_support.h"

namespace {

using ui_test::Drain;
using ui_test::Event;
using ui_test::Only;
using ui_test::PumpAndDrain;

class EventQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 20, 20, 300, 200, u"queue", 0xCC0000), 0);
    ASSERT_NE(ui::ButtonCreate(3, 10, 10, 100, 30, u"one"), 0);
    ASSERT_NE(ui::ButtonCreate(4, 10, 50, 100, 30, u"two"), 0);
    PumpAndDrain();
  }
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
};

TEST_F(EventQueueTest, IdenticalClicksCoalesceUntilFetched) {
  ui_driver::Click(3);
  ui_driver::Click(3);
  const std::vector<Event> first = Only(Drain(), ui::EventWidget);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], (Event{ui::EventWidget, 3, 0, ui::WidgetEventLeftClick}));

  // Another widget in between: nothing to coalesce with.
  ui_driver::Click(3);
  ui_driver::Click(4);
  ui_driver::Click(3);
  const std::vector<Event> second = Only(Drain(), ui::EventWidget);
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[0].object, 3);
  EXPECT_EQ(second[1].object, 4);
  EXPECT_EQ(second[2].object, 3);
}

TEST_F(EventQueueTest, SameEventAfterFetchOfTheOnlyRecordQueuesAgain) {
  ui_driver::Click(3);
  ASSERT_EQ(ui::QueuedEventCount(), 1);
  ASSERT_EQ(ui::EventWait(), ui::EventWidget);
  ui_driver::Click(3);
  EXPECT_EQ(ui::QueuedEventCount(), 1);
  EXPECT_EQ(ui::EventWait(), ui::EventWidget);
  EXPECT_EQ(ui::EventSource(), 3);
}

TEST_F(EventQueueTest, FetchingTheHeadKeepsTheTailForCoalescing) {
  ui::PostEvent(ui::EventWidget, 3, 0, 0);
  ui::PostEvent(ui::EventWidget, 4, 0, 0);
  ASSERT_EQ(ui::EventWait(), ui::EventWidget);
  EXPECT_EQ(ui::EventSource(), 3);
  ui::PostEvent(ui::EventWidget, 4, 0, 0);  // identical to the record still waiting
  ui::PostEvent(ui::EventWidget, 3, 0, 0);
  const std::vector<Event> rest = Drain();
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0].object, 4);
  EXPECT_EQ(rest[1].object, 3);
}

TEST_F(EventQueueTest, RemoveEventsMatchesWildcardsAndMovesTheTail) {
  ui::PostEvent(ui::EventWidget, 3, 0, 0);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  ui::PostEvent(ui::EventWidget, 4, 7, 2);
  ui::PostEvent(ui::EventWidget, 3, 1, 0);
  ui::RemoveEvents(ui::EventWidget, 3, -5, -1);  // any negative window matches every window
  ASSERT_EQ(ui::QueuedEventCount(), 2);
  // The last record now is widget 4's, so the same event coalesces with it.
  ui::PostEvent(ui::EventWidget, 4, 7, 2);
  EXPECT_EQ(ui::QueuedEventCount(), 2);
  ui::RemoveEvents(-1, -1, 7, -1);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);  // tail is the Sized record again
  EXPECT_EQ(ui::QueuedEventCount(), 1);
  ui::RemoveEvents(-1, -1, -1, -1);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
  ui::PostEvent(ui::EventWidget, 3, 0, 0);  // an emptied queue starts a new list
  EXPECT_EQ(Drain(), (std::vector<Event>{{ui::EventWidget, 3, 0, 0}}));
}

TEST_F(EventQueueTest, SuppressionNestsAndDropsUserInput) {
  ui::SuppressEvents();
  ui::SuppressEvents();
  ui_driver::Click(3);
  ui::ResumeEvents();
  ui_driver::Click(3);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
  ui::ResumeEvents();
  ui::ResumeEvents();  // an extra resume must not turn the counter negative
  ui_driver::Click(4);
  EXPECT_EQ(Only(Drain(), ui::EventWidget), (std::vector<Event>{{ui::EventWidget, 4, 0, 0}}));
}

TEST_F(EventQueueTest, WaitWithoutQueuedEventReturnsNoCodeAndKindMinusOne) {
  ui_driver::Click(4);
  ASSERT_EQ(ui::EventWait(), ui::EventWidget);
  ASSERT_EQ(ui::EventKind(), 0);
  bool ran = false;
  ui_driver::RunSoon([&ran] { ran = true; });
  const int32_t code = ui::EventWait();
  EXPECT_TRUE(ran);
  EXPECT_EQ(code, ui::kWaitToolkitEvents);
  EXPECT_EQ(ui::EventKind(), -1);
  EXPECT_EQ(ui::EventSource(), 4);  // the object of the last event fetched is kept
}

}  // namespace
