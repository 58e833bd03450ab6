#include "ui/column_list.h"

#include "tests/ui/driver.h"
#include "tests/ui/widget_test_support.h"

namespace ui {
namespace {

using runtime::Text;
using widgettest::DrainWidgetEvents;
using Events = std::vector<std::pair<int64_t, int64_t>>;
using ui_driver::Mouse;

constexpr int64_t kList = 2;

class ColumnListTest : public widgettest::WindowTest {
 protected:
  void Create(uint32_t flags = 0) {
    EXPECT_NE(ColumnListCreate(kList, 10, 10, 400, 300, u"Name", 200, flags), 0);
    ColumnAdd(kList, 1, u"Size", 80);
    ui_driver::Process();
  }
  static Point RowCentre(int64_t row) { return ui_test::ItemCentre(kList, row); }
  static void ClickRow(int64_t row, Mouse button = Mouse::Left) { ui_driver::ClickAt(kList, RowCentre(row), button); }
  // A point below the last row.
  static Point EmptySpace() { return Point{20, ui_driver::ControlGeometry(kList).height - 40}; }
};

TEST(ColumnTexts, SplitAtEveryLineFeed) {
  EXPECT_EQ(SplitColumnTexts(u""), std::vector<Text>{u""});
  EXPECT_EQ(SplitColumnTexts(u"a.jpg\n1234"), (std::vector<Text>{u"a.jpg", u"1234"}));
  EXPECT_EQ(SplitColumnTexts(u"a\n"), (std::vector<Text>{u"a", u""}));
  EXPECT_EQ(SplitColumnTexts(u"\n\nc"), (std::vector<Text>{u"", u"", u"c"}));
}

TEST_F(ColumnListTest, RowsSplitIntoTheirColumnsAndRowMinusOneGivesTitles) {
  Create();
  DrainWidgetEvents();
  EXPECT_EQ(ItemAdd(kList, -1, u"a.jpg\n1234"), 0);
  ItemAdd(kList, -1, u"b.png");
  ItemAdd(kList, 0, u"first\n1\nbeyond the last column");
  ItemAdd(kList, 99, u"last\n7");
  ItemAdd(kList, -1, u"");
  EXPECT_EQ(DrainWidgetEvents(), Events{});  // adding reports nothing

  ASSERT_EQ(ItemCount(kList), 5);
  EXPECT_EQ(ItemText(kList, 0, 0), u"first");
  EXPECT_EQ(ItemText(kList, 0, 1), u"1");
  EXPECT_EQ(ItemText(kList, 1, 0), u"a.jpg");
  EXPECT_EQ(ItemText(kList, 1, 1), u"1234");
  EXPECT_EQ(ItemText(kList, 2, 0), u"b.png");
  EXPECT_EQ(ItemText(kList, 2, 1), u"");
  EXPECT_EQ(ItemText(kList, 3, 0), u"last");
  EXPECT_EQ(ItemText(kList, 4, 0), u"");
  EXPECT_EQ(ItemText(kList, 5, 0), u"");
  EXPECT_EQ(ItemText(kList, 0, 2), u"");
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(WidgetText(kList), u"");
}

TEST_F(ColumnListTest, ANewFirstColumnStartsEmptyAndOldTextsKeepTheirTitles) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ColumnAdd(kList, 0, u"Mark", 30);
  ColumnAdd(kList, 99, u"Type", 50);
  ColumnAdd(kList, -5, u"refused", 50);
  ASSERT_EQ(ui_driver::ColumnTotal(kList), 4);
  const Text titles[] = {u"Mark", u"Name", u"Size", u"Type"};
  for (int64_t c = 0; c < 4; ++c) {
    EXPECT_EQ(ItemText(kList, -1, c), titles[c]) << c;
    EXPECT_EQ(ui_driver::ColumnTitle(kList, c), titles[c]) << c;
  }
  EXPECT_EQ(ItemText(kList, 0, 0), u"");
  EXPECT_EQ(ItemText(kList, 0, 1), u"a.jpg");
  EXPECT_EQ(ItemText(kList, 0, 2), u"1234");
  EXPECT_EQ(ui_driver::ColumnWidth(kList, 0), ScaleX(30));
}

TEST_F(ColumnListTest, ClickingARowSelectsItAndClearingForgetsIt) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ItemAdd(kList, -1, u"b.png\n99");
  DrainWidgetEvents();

  ClickRow(1);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}, {kList, WidgetEventLeftClick}}));
  EXPECT_EQ(WidgetState(kList), 1);
  EXPECT_EQ(WidgetText(kList), u"b.png");
  ui_driver::PressKeyOn(kList, ui_driver::Key::Up);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  EXPECT_EQ(WidgetText(kList), u"a.jpg");

  ItemsClear(kList);
  EXPECT_EQ(DrainWidgetEvents(), Events{});
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(WidgetText(kList), u"");
  EXPECT_EQ(ItemCount(kList), 0);
  EXPECT_EQ(ItemText(kList, -1, 0), u"Name");
}

TEST_F(ColumnListTest, TheDeselectionCheckReportsOnceAndThenNothing) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ClickRow(0);
  ItemsClear(kList);
  ItemAdd(kList, -1, u"c.gif\n5");
  DrainWidgetEvents();
  ui_driver::ClickAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  ui_driver::ClickAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), Events{});
  // The right button runs the check too, and always reports itself.
  ui_driver::ClickAt(kList, EmptySpace(), Mouse::Right);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventRightClick}}));
}

// A click beside the rows lets go of the selected row: the loss of the selection is one change, the
// click itself is not reported (no row is selected), and the release adds nothing.
TEST_F(ColumnListTest, AClickBesideTheRowsDeselectsWithOneChangeAndNoClick) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ItemAdd(kList, -1, u"b.png\n99");
  ClickRow(1);
  DrainWidgetEvents();

  ui_driver::ClickAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  EXPECT_EQ(WidgetState(kList), -1);
  ui_driver::ClickAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), Events{});

  // A press and a release apart: the press has already reported everything.
  ClickRow(0);
  DrainWidgetEvents();
  ui_driver::PressAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  ui_driver::ReleaseAt(kList, EmptySpace());
  EXPECT_EQ(DrainWidgetEvents(), Events{});
}

TEST_F(ColumnListTest, DraggingRowsReportsTheSelectedOnes) {
  Create(kListMultipleSelection);
  for (const char16_t* row : {u"a\n1", u"b\n2", u"c\n3"}) ItemAdd(kList, -1, row);
  ClickRow(0);
  ui_driver::ControlClickAt(kList, RowCentre(2));
  DrainWidgetEvents();
  const Point from = RowCentre(2);
  ui_driver::DragAt(kList, from, Point{from.x + ui_driver::DragDistance() + 20, from.y});
  EXPECT_TRUE(widgettest::Posted(DrainWidgetEvents(), kList, WidgetEventDragStart));
  EXPECT_EQ(ui_driver::DraggedItems(kList), (std::vector<int64_t>{0, 2}));
}

TEST_F(ColumnListTest, HeaderClicksAreRecordedAndReported) {
  Create();
  DrainWidgetEvents();
  ui_driver::ClickColumnHeader(kList, 1);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventColumnClick}}));
  WidgetRecord* w = FindWidget(kList);
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeClickedColumn), 1);
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeColumnCount), 2);
}

TEST_F(ColumnListTest, KindTableCoversStatesColoursDataAndCheckBoxes) {
  Create(kListCheckBoxes | kListThreeStateChecks | kListGridLines);
  ItemAdd(kList, -1, u"a\n1");
  ItemAdd(kList, -1, u"b\n2");
  WidgetRecord* w = FindWidget(kList);
  DrainWidgetEvents();

  // Check boxes: ticking reports a change; three states are kept.
  w->ops->set_item_state(w, 1, kListItemChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemChecked);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  w->ops->set_item_state(w, 1, kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(WidgetState(kList), 1);
  EXPECT_EQ(ui_driver::SelectedItems(kList), std::vector<int64_t>{1});
  w->ops->set_state(w, -1);
  EXPECT_EQ(WidgetState(kList), -1);
  w->ops->set_state(w, 0);
  EXPECT_EQ(WidgetText(kList), u"a");
  w->ops->set_text(w, u"renamed\n42");
  EXPECT_EQ(ItemText(kList, 0, 1), u"42");
  w->ops->set_item_text(w, -1, u"Bytes", 1);
  EXPECT_EQ(ui_driver::ColumnTitle(kList, 1), u"Bytes");

  // Per-row data and per-cell colours travel with their row.
  w->ops->set_item_data(w, 1, 0x1234567890LL);
  w->ops->set_item_colour(w, 1, 1, 0x0000ff);
  ItemAdd(kList, 0, u"new");
  EXPECT_EQ(w->ops->get_item_data(w, 2), 0x1234567890LL);
  EXPECT_EQ(w->ops->get_item_data(w, 1), 0);
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 1), 0x0000ff);
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 0), -1);

  // List colours: -1 until set, back to the default with -1.
  for (const int64_t which : {kListColourText, kListColourBackground, kListColourGrid}) {
    EXPECT_EQ(w->ops->get_colour(w, which), -1) << which;
    w->ops->set_colour(w, which, 0x808080);
    EXPECT_EQ(w->ops->get_colour(w, which), 0x808080) << which;
    w->ops->set_colour(w, which, -1);
    EXPECT_EQ(w->ops->get_colour(w, which), -1) << which;
  }

  EXPECT_EQ(w->ops->remove_item(w, 0), 1);
  EXPECT_EQ(w->ops->remove_item(w, 7), 0);
  EXPECT_EQ(ItemCount(kList), 2);
  w->ops->remove_column(w, 1);
  EXPECT_EQ(ui_driver::ColumnTotal(kList), 1);
}

TEST_F(ColumnListTest, ADoubleClickOnEmptySpaceIsReported) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  DrainWidgetEvents();
  ui_driver::DoubleClickAt(kList, EmptySpace());
  EXPECT_TRUE(widgettest::Posted(DrainWidgetEvents(), kList, WidgetEventDoubleClick));
  EXPECT_EQ(WidgetState(kList), -1);

  // On a row the double-click follows the selection.
  ui_driver::DoubleClickAt(kList, RowCentre(0));
  EXPECT_TRUE(widgettest::Posted(DrainWidgetEvents(), kList, WidgetEventDoubleClick));
  EXPECT_EQ(WidgetText(kList), u"a.jpg");
}

TEST_F(ColumnListTest, WithoutAWindowThereIsNowhereToPutAList) {
  WindowDestroy(0);
  EXPECT_EQ(ColumnListCreate(kList, 0, 0, 10, 10, u"Name", 10), 0);
}

}  // namespace
}  // namespace ui
