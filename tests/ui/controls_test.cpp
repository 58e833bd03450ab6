#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ui/driver.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/widget.h"
#include "ui/window.h"
#include "ui_test_support.h"

namespace {

namespace drive = ui_driver;

using runtime::Text;
using ui_test::Drain;
using ui_test::Event;
using ui_test::Only;
using ui_test::PumpAndDrain;

// Painting may add its own events; what matters is that the widget's are gone and others stay.
void ExpectOnlyTheSizeLeft(const std::vector<Event>& events) {
  EXPECT_TRUE(Only(events, ui::EventWidget).empty());
  EXPECT_EQ(Only(events, ui::EventWindowSized), (std::vector<Event>{{ui::EventWindowSized, 0, 0, 0}}));
}

class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 20, 20, 600, 600, u"controls", 0xCC0000), 0);
    ASSERT_NE(ui::ButtonCreate(3, 10, 315, 100, 30, u" p r o c e s s "), 0);
    ASSERT_NE(ui::ListBoxCreate(6, 10, 350, 500, 200), 0);
    ASSERT_TRUE(drive::WaitForWindowShown(0));
    PumpAndDrain();
  }
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
  static ui::Point ItemCentre(int row) { return ui_test::ItemCentre(6, row); }
  static std::vector<Event> WidgetEvents() { return Only(PumpAndDrain(), ui::EventWidget); }
  static void Fill(std::initializer_list<const char16_t*> items) {
    for (const char16_t* t : items) ui::ItemAdd(6, -1, t);
  }
};

TEST_F(ControlsTest, ButtonTextIsItsCaptionExactlyAndAPressPostsALeftClick) {
  EXPECT_EQ(ui::WidgetText(3), Text(u" p r o c e s s "));
  ASSERT_NE(ui::ButtonCreate(4, 310, 315, 100, 30, u" q u i t  "), 0);
  EXPECT_EQ(ui::WidgetText(4), Text(u" q u i t  "));
  EXPECT_EQ(ui::WidgetState(3), 0);
  drive::Click(4);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 4, 0, ui::WidgetEventLeftClick}}));
  drive::PressKeyOn(3, drive::Key::Space);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 3, 0, ui::WidgetEventLeftClick}}));
}

TEST_F(ControlsTest, CheckBoxStateFollowsTheUserAndTheProgramQuietly) {
  ASSERT_NE(ui::ButtonCreate(7, 10, 10, 100, 30, u"check", ui::kButtonAutoCheckBox), 0);
  drive::ClickAt(7, {5, 15});
  EXPECT_EQ(ui::WidgetState(7), 1);
  EXPECT_EQ(WidgetEvents().size(), 1u);
  ui::WidgetSetState(7, 0);
  EXPECT_EQ(ui::WidgetState(7), 0);
  EXPECT_TRUE(WidgetEvents().empty());
}

TEST_F(ControlsTest, ItemAddAppendsAtMinusOneAndInsertsAtZero) {
  EXPECT_EQ(ui::ItemAdd(6, -1, u"image list"), 0);
  ui::ItemAdd(6, -1, u"second");
  ui::ItemAdd(6, 0, u"top");
  ui::ItemAdd(6, 99, u"past the end");
  ASSERT_EQ(ui::ItemCount(6), 4);
  EXPECT_EQ(ui::ItemText(6, 0, 0), Text(u"top"));
  EXPECT_EQ(ui::ItemText(6, 1, 0), Text(u"image list"));
  EXPECT_EQ(ui::ItemText(6, 2, 0), Text(u"second"));
  EXPECT_EQ(ui::ItemText(6, 3, 0), Text(u"past the end"));
  EXPECT_EQ(ui::ItemText(6, 4, 0), Text());
  EXPECT_EQ(ui::ItemText(6, -1, 0), Text());
  EXPECT_EQ(ui::ItemAdd(6, -1, u"\xD800 lone half"), 0);  // kept unit for unit
  EXPECT_EQ(ui::ItemText(6, 4, 0), Text(u"\xD800 lone half"));
}

TEST_F(ControlsTest, GenericOperationsOnNumbersThatNameNothing) {
  EXPECT_EQ(ui::ItemAdd(42, -1, u"x"), 0);
  EXPECT_EQ(ui::WidgetText(42), Text());
  EXPECT_EQ(ui::ItemText(42, 0, 0), Text());
  EXPECT_EQ(ui::WidgetState(42), 0);
  EXPECT_EQ(ui::ColumnAdd(42, 0, u"x", 10), 0);
  ui::ItemsClear(42);
  EXPECT_EQ(ui::ItemCount(-9), 0);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

TEST_F(ControlsTest, ListBoxClicksDoubleClicksAndRightClicks) {
  Fill({u"alpha", u"beta", u"gamma"});
  drive::ClickAt(6, ItemCentre(1));
  // The selection change and the release without dragging are the same event: one record.
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 6, 0, ui::WidgetEventLeftClick}}));
  EXPECT_EQ(ui::WidgetState(6), 1);
  EXPECT_EQ(ui::WidgetText(6), Text(u"beta"));

  drive::DoubleClickAt(6, ItemCentre(1));
  const std::vector<Event> dbl = WidgetEvents();
  EXPECT_NE(std::find(dbl.begin(), dbl.end(), Event{ui::EventWidget, 6, 0, ui::WidgetEventDoubleClick}), dbl.end());

  drive::ClickAt(6, ItemCentre(2), drive::Mouse::Right);
  const std::vector<Event> right = WidgetEvents();
  EXPECT_NE(std::find(right.begin(), right.end(), Event{ui::EventWidget, 6, 0, ui::WidgetEventRightClick}),
            right.end());
}

TEST_F(ControlsTest, AddingOrClearingItemsNeverPostsEvenWhenTheSelectionMoves) {
  Fill({u"a", u"b"});
  drive::ClickAt(6, ItemCentre(0));
  ASSERT_EQ(ui::WidgetState(6), 0);
  ASSERT_FALSE(WidgetEvents().empty());

  ui::ItemAdd(6, 0, u"pushes the selection down");
  drive::Process();
  EXPECT_EQ(ui::WidgetState(6), 1);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
  ui::ItemsClear(6);
  drive::Process();
  EXPECT_EQ(ui::QueuedEventCount(), 0);
  EXPECT_EQ(ui::ItemCount(6), 0);
  EXPECT_EQ(ui::WidgetState(6), -1);
  // Suppression ends with the operation: the user's next click is reported.
  Fill({u"c"});
  drive::ClickAt(6, ItemCentre(0));
  EXPECT_FALSE(WidgetEvents().empty());
}

TEST_F(ControlsTest, ColumnAddOnAListBoxDoesNothing) {
  Fill({u"a"});
  EXPECT_EQ(ui::ColumnAdd(6, 0, u"Name", 250), 0);
  EXPECT_EQ(ui::ItemCount(6), 1);
  EXPECT_EQ(ui::ItemText(6, 0, 0), Text(u"a"));
  EXPECT_EQ(drive::ColumnTotal(6), 1);
}

TEST_F(ControlsTest, DragStartsOnlyBeyondTheDragDistance) {
  Fill({u"alpha", u"beta", u"gamma"});
  const ui::Point start = ItemCentre(0);
  const int32_t distance = drive::DragDistance();
  const Event drag{ui::EventWidget, 6, 0, ui::WidgetEventDragStart};
  drive::DragAt(6, start, {start.x + distance, start.y});
  const std::vector<Event> short_drag = WidgetEvents();
  EXPECT_EQ(std::count(short_drag.begin(), short_drag.end(), drag), 0);
  drive::DragAt(6, start, {start.x, start.y + distance + 1});
  EXPECT_EQ(WidgetEvents(), std::vector<Event>{drag});
  EXPECT_EQ(drive::DraggedItems(6), std::vector<int64_t>{0});
}

TEST_F(ControlsTest, MultiSelectionDragKeepsTheSelection) {
  ASSERT_NE(ui::ListBoxCreate(8, 10, 10, 200, 200, ui::kListBoxExtendedSelection), 0);
  for (const char16_t* t : {u"a", u"b", u"c"}) ui::ItemAdd(8, -1, t);
  drive::ClickAt(8, ui_test::ItemCentre(8, 0));
  drive::ControlClickAt(8, ui_test::ItemCentre(8, 2));
  ASSERT_EQ(drive::SelectedItems(8), (std::vector<int64_t>{0, 2}));
  PumpAndDrain();
  const ui::Point start = ui_test::ItemCentre(8, 2);
  drive::DragAt(8, start, {start.x + drive::DragDistance() + 5, start.y});
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 8, 0, ui::WidgetEventDragStart}}));
  // The press did not reduce the selection, so both rows are dragged.
  EXPECT_EQ(drive::DraggedItems(8), (std::vector<int64_t>{0, 2}));
  EXPECT_EQ(ui::WidgetState(8), 0);
}

TEST_F(ControlsTest, ListBoxKindOperations) {
  Fill({u"Apple", u"banana", u"Cherry"});
  ui::WidgetSetText(6, u"CHERRY");
  EXPECT_EQ(ui::WidgetState(6), 2);
  ui::WidgetSetText(6, u"durian");  // no match clears a single selection
  EXPECT_EQ(ui::WidgetState(6), -1);
  EXPECT_EQ(ui::WidgetText(6), Text());
  ui::WidgetSetState(6, 1);
  EXPECT_EQ(ui::WidgetText(6), Text(u"banana"));
  EXPECT_EQ(drive::SelectedItems(6), std::vector<int64_t>{1});
  EXPECT_TRUE(WidgetEvents().empty());  // the program's own changes are not the user's clicks

  ui::WidgetRecord* r = ui::FindWidget(6);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ops->kind, ui::WidgetKindListBox);
  EXPECT_EQ(r->ops->size, 328);
  r->ops->set_item_data(r, 1, int64_t{1} << 40);
  r->ops->set_item_text(r, 1, u"blueberry", 0);
  EXPECT_EQ(r->ops->get_item_data(r, 1), int64_t{1} << 40);  // replaced in place
  EXPECT_EQ(drive::ShownItemText(6, 1), Text(u"blueberry"));
  EXPECT_EQ(r->ops->remove_item(r, 0), 2);
  EXPECT_EQ(r->ops->remove_item(r, 5), -1);
  EXPECT_EQ(r->ops->get_colour(r, ui::kColourBackground), -1);
  r->ops->set_colour(r, ui::kColourBackground, 0x0000FF);
  EXPECT_EQ(r->ops->get_colour(r, ui::kColourBackground), 0x0000FF);
}

TEST_F(ControlsTest, DestroyedWidgetIsSilencedAndItsQueuedEventsGo) {
  drive::Click(3);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  ui::WidgetDestroy(3);
  EXPECT_EQ(ui::FindWidget(3), nullptr);
  EXPECT_EQ(ui::WidgetControl(3), nullptr);
  ExpectOnlyTheSizeLeft(Drain());
  // Reusing a live fixed number replaces the old widget.
  ASSERT_NE(ui::ButtonCreate(3, 0, 0, 10, 10, u"old"), 0);
  ASSERT_NE(ui::ButtonCreate(3, 0, 0, 10, 10, u"new"), 0);
  EXPECT_EQ(ui::WidgetText(3), Text(u"new"));
  // AnyId widgets are numbered by their record, and their events carry that number.
  // Apart from the others: which of two overlapping siblings takes a click differs between systems.
  const int64_t n = ui::ButtonCreate(runtime::AnyId, 20, 0, 10, 10, u"any");
  ASSERT_NE(n, 0);
  drive::Click(n);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, n, 0, 0}}));
  ui::WidgetDestroy(n);
  EXPECT_EQ(ui::FindWidget(n), nullptr);
}

TEST_F(ControlsTest, MessageBoxCutsLongTextAndDisablesTheProgramWhileOpen) {
  Text text(70000, u'x');
  text[ui::kMessageTextKept - 1] = u'y';  // the last unit kept
  drive::SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  EXPECT_EQ(ui::MessageBoxShow(u"title", text), ui::kAnswerOk);
  ASSERT_EQ(seen.count, 1);
  EXPECT_EQ(seen.text, text.substr(0, ui::kMessageTextKept));
  EXPECT_FALSE(seen.others_enabled);
  EXPECT_TRUE(drive::WindowEnabled(0));
  EXPECT_TRUE(drive::WidgetEnabled(3));
}

TEST_F(ControlsTest, MessageBoxAnswersWithThePlatformButtonIds) {
  drive::EnableWindow(0, false);  // a window the program disabled itself stays disabled
  drive::SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerNo, &seen);
  EXPECT_EQ(ui::MessageBoxShow(u"", u"short", ui::kMessageYesNo | ui::kMessageIconQuestion, ui::WindowWidget(0)),
            ui::kAnswerNo);
  EXPECT_FALSE(drive::WindowEnabled(0));
  drive::EnableWindow(0, true);
}

}  // namespace
