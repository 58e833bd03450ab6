#include <gtest/gtest.h>

#include "tests/ui/widget_test_support.h"
#include "ui/button.h"
#include "ui/list_box.h"
#include "ui/message_box.h"

namespace {

namespace drive = ui_driver;

using runtime::Text;
using ui_test::Event;
using Events = std::vector<std::pair<int64_t, int64_t>>;
using widgettest::DrainWidgetEvents;

constexpr int64_t kButton = 3;
constexpr int64_t kBox = 6;

class ControlsTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_NE(ui::ButtonCreate(kButton, 10, 315, 100, 30, u" p r o c e s s "), 0);
    ASSERT_NE(ui::ListBoxCreate(kBox, 10, 350, 500, 200), 0);
    DrainWidgetEvents();
  }
  static void Fill(std::initializer_list<const char16_t*> items, int64_t box = kBox) {
    for (const char16_t* t : items) ui::ItemAdd(box, -1, t);
  }
  static void ClickRow(int64_t row, drive::Mouse button = drive::Mouse::Left) {
    drive::ClickAt(kBox, ui_test::ItemCentre(kBox, row), button);
  }
};

TEST_F(ControlsTest, ButtonsKeepTheirCaptionExactlyAndSpaceOrEnterClicksThem) {
  EXPECT_EQ(ui::WidgetText(kButton), Text(u" p r o c e s s "));
  for (const drive::Key key : {drive::Key::Space, drive::Key::Enter}) {
    drive::PressKeyOn(kButton, key);
    EXPECT_EQ(DrainWidgetEvents(), (Events{{kButton, ui::WidgetEventLeftClick}})) << static_cast<int>(key);
  }

  ASSERT_NE(ui::ButtonCreate(7, 10, 10, 100, 30, u"check", ui::kButtonAutoCheckBox), 0);
  drive::ClickAt(7, {5, 15});
  EXPECT_EQ(ui::WidgetState(7), 1);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{7, ui::WidgetEventLeftClick}}));
  ui::WidgetSetState(7, 0);  // the program's change is quiet
  EXPECT_EQ(ui::WidgetState(7), 0);
  EXPECT_EQ(DrainWidgetEvents(), Events{});
}

TEST_F(ControlsTest, ItemsAppendAtMinusOneAndInsertElsewhere) {
  EXPECT_EQ(ui::ItemAdd(kBox, -1, u"image list"), 0);
  ui::ItemAdd(kBox, -1, u"second");
  ui::ItemAdd(kBox, 0, u"top");
  ui::ItemAdd(kBox, 99, u"past the end");
  EXPECT_EQ(ui::ItemAdd(kBox, -1, u"\xD800 lone half"), 0);  // kept unit for unit
  const Text items[] = {u"top", u"image list", u"second", u"past the end", u"\xD800 lone half", u""};
  ASSERT_EQ(ui::ItemCount(kBox), 5);
  for (int64_t i = -1; i < 6; ++i) EXPECT_EQ(ui::ItemText(kBox, i, 0), i < 0 ? Text() : items[i]) << i;
  // What the control or the number does not have does nothing.
  EXPECT_EQ(ui::ItemAdd(42, -1, u"x"), 0);
  EXPECT_EQ(ui::WidgetText(42), Text());
  ui::ItemsClear(42);
  EXPECT_EQ(ui::ItemCount(-9), 0);
  EXPECT_EQ(ui::ColumnAdd(kBox, 0, u"Name", 250), 0);
  EXPECT_EQ(drive::ColumnTotal(kBox), 1);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

// A scan appends rows faster than anybody reads them: the newest stays in view, unless the user has
// scrolled up to look at older ones.
TEST_F(ControlsTest, ListBoxKeepsItsNewestRowInViewUntilTheUserScrollsAway) {
  const auto in_view = [](int64_t row) {
    const ui::Rect r = drive::ItemRect(kBox, row);
    return r.y >= 0 && r.y + r.height <= drive::ControlGeometry(kBox).height;
  };
  for (int i = 0; i < 40; ++i) ui::ItemAdd(kBox, -1, u"row");
  drive::Process();
  EXPECT_TRUE(in_view(39));
  EXPECT_FALSE(in_view(0));
  drive::ScrollToItem(kBox, 0);
  for (int i = 0; i < 5; ++i) ui::ItemAdd(kBox, -1, u"more");
  drive::Process();
  EXPECT_TRUE(in_view(0));
  EXPECT_FALSE(in_view(44));
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

TEST_F(ControlsTest, ListBoxClicksDoubleClicksAndRightClicks) {
  Fill({u"alpha", u"beta", u"gamma"});
  ClickRow(1);
  // The selection change and the release without dragging are the same event: one record.
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kBox, ui::WidgetEventLeftClick}}));
  EXPECT_EQ(ui::WidgetState(kBox), 1);
  EXPECT_EQ(ui::WidgetText(kBox), Text(u"beta"));
  drive::DoubleClickAt(kBox, ui_test::ItemCentre(kBox, 1));
  EXPECT_TRUE(widgettest::Posted(kBox, ui::WidgetEventDoubleClick));
  ClickRow(2, drive::Mouse::Right);
  EXPECT_TRUE(widgettest::Posted(kBox, ui::WidgetEventRightClick));
}

TEST_F(ControlsTest, AddingOrClearingItemsNeverPostsEvenWhenTheSelectionMoves) {
  Fill({u"a", u"b"});
  ClickRow(0);
  ASSERT_EQ(ui::WidgetState(kBox), 0);
  DrainWidgetEvents();
  ui::ItemAdd(kBox, 0, u"pushes the selection down");
  EXPECT_EQ(ui::WidgetState(kBox), 1);
  ui::ItemsClear(kBox);
  EXPECT_EQ(ui::WidgetState(kBox), -1);
  EXPECT_EQ(ui::ItemCount(kBox), 0);
  EXPECT_EQ(DrainWidgetEvents(), Events{});
  // Suppression ends with the operation: the user's next click is reported.
  Fill({u"c"});
  ClickRow(0);
  EXPECT_NE(DrainWidgetEvents(), Events{});
}

TEST_F(ControlsTest, DragStartsOnlyBeyondTheDragDistanceAndKeepsAMultipleSelection) {
  Fill({u"alpha", u"beta", u"gamma"});
  const ui::Point start = ui_test::ItemCentre(kBox, 0);
  const int32_t distance = drive::DragDistance();
  drive::DragAt(kBox, start, {start.x + distance, start.y});
  EXPECT_FALSE(widgettest::Posted(kBox, ui::WidgetEventDragStart));
  drive::DragAt(kBox, start, {start.x, start.y + distance + 1});
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kBox, ui::WidgetEventDragStart}}));
  EXPECT_EQ(drive::DraggedItems(kBox), std::vector<int64_t>{0});

  ASSERT_NE(ui::ListBoxCreate(8, 10, 10, 200, 200, ui::kListBoxExtendedSelection), 0);
  Fill({u"a", u"b", u"c"}, 8);
  drive::ClickAt(8, ui_test::ItemCentre(8, 0));
  drive::ControlClickAt(8, ui_test::ItemCentre(8, 2));
  ASSERT_EQ(drive::SelectedItems(8), (std::vector<int64_t>{0, 2}));
  DrainWidgetEvents();
  const ui::Point from = ui_test::ItemCentre(8, 2);
  drive::DragAt(8, from, {from.x + distance + 5, from.y});
  EXPECT_EQ(DrainWidgetEvents(), (Events{{8, ui::WidgetEventDragStart}}));
  // The press did not reduce the selection, so both rows are dragged.
  EXPECT_EQ(drive::DraggedItems(8), (std::vector<int64_t>{0, 2}));
  EXPECT_EQ(ui::WidgetState(8), 0);
}

TEST_F(ControlsTest, ListBoxKindOperations) {
  Fill({u"Apple", u"banana", u"Cherry"});
  ui::WidgetSetText(kBox, u"CHERRY");
  EXPECT_EQ(ui::WidgetState(kBox), 2);
  ui::WidgetSetText(kBox, u"durian");  // no match clears a single selection
  EXPECT_EQ(ui::WidgetState(kBox), -1);
  ui::WidgetSetState(kBox, 1);
  EXPECT_EQ(ui::WidgetText(kBox), Text(u"banana"));
  EXPECT_EQ(DrainWidgetEvents(), Events{});  // the program's own changes are not the user's clicks

  ui::WidgetRecord* r = ui::FindWidget(kBox);
  r->ops->set_item_data(r, 1, int64_t{1} << 40);
  r->ops->set_item_text(r, 1, u"blueberry", 0);
  EXPECT_EQ(r->ops->get_item_data(r, 1), int64_t{1} << 40);  // replaced in place
  EXPECT_EQ(drive::ShownItemText(kBox, 1), Text(u"blueberry"));
  EXPECT_EQ(r->ops->remove_item(r, 0), 2);
  EXPECT_EQ(r->ops->remove_item(r, 5), -1);
  r->ops->set_colour(r, ui::kColourBackground, 0x0000FF);
  EXPECT_EQ(r->ops->get_colour(r, ui::kColourBackground), 0x0000FF);
}

TEST_F(ControlsTest, DestroyedWidgetIsSilencedAndItsQueuedEventsGo) {
  drive::Click(kButton);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  ui::WidgetDestroy(kButton);
  EXPECT_EQ(ui::WidgetControl(kButton), nullptr);
  EXPECT_EQ(ui_test::Drain(ui::EventWidget), std::vector<Event>{});
  // Reusing a live fixed number replaces the old widget.
  ASSERT_NE(ui::ButtonCreate(kButton, 0, 0, 10, 10, u"old"), 0);
  ASSERT_NE(ui::ButtonCreate(kButton, 0, 0, 10, 10, u"new"), 0);
  EXPECT_EQ(ui::WidgetText(kButton), Text(u"new"));
  // AnyId widgets are numbered by their record, and their events carry that number. Apart from the
  // others: which of two overlapping siblings takes a click differs between systems.
  const int64_t n = ui::ButtonCreate(runtime::AnyId, 20, 0, 10, 10, u"any");
  ASSERT_NE(n, 0);
  drive::Click(n);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{n, 0}}));
}

TEST_F(ControlsTest, MessageBoxesCutLongTextDisableTheProgramAndAnswer) {
  Text text(70000, u'x');
  text[ui::kMessageTextKept - 1] = u'y';  // the last unit kept
  drive::SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  EXPECT_EQ(ui::MessageBoxShow(u"title", text), ui::kAnswerOk);
  ASSERT_EQ(seen.count, 1);
  EXPECT_EQ(seen.text, text.substr(0, ui::kMessageTextKept));
  EXPECT_FALSE(seen.others_enabled);
  EXPECT_TRUE(drive::WindowEnabled(0));
  drive::AnswerNextMessageBox(ui::kAnswerNo, &seen);
  EXPECT_EQ(ui::MessageBoxShow(u"", u"short", ui::kMessageYesNo | ui::kMessageIconQuestion, ui::WindowWidget(0)),
            ui::kAnswerNo);
}

}  // namespace
