#include "ui/column_list.h"

#include "tests/ui/widget_test_support.h"

namespace ui {
namespace {

namespace drive = ui_driver;

using runtime::Text;
using widgettest::DrainWidgetEvents;
using Events = std::vector<std::pair<int64_t, int64_t>>;

constexpr int64_t kList = 2;
constexpr int64_t kEmptySpace = -1;  // a point below the last row

Point At(int64_t row) {
  return row == kEmptySpace ? Point{20, drive::ControlGeometry(kList).height - 40} : ui_test::ItemCentre(kList, row);
}

class ColumnListTest : public widgettest::WindowTest {
 protected:
  static void Create(std::initializer_list<const char16_t*> rows, uint32_t flags = 0) {
    EXPECT_NE(ColumnListCreate(kList, 10, 10, 400, 300, u"Name", 200, flags), 0);
    ColumnAdd(kList, 1, u"Size", 80);
    for (const char16_t* row : rows) ItemAdd(kList, -1, row);
    DrainWidgetEvents();
  }
};

TEST_F(ColumnListTest, RowsSplitIntoTheirColumnsAndRowMinusOneGivesTitles) {
  Create({u"a.jpg\n1234", u"b.png"});
  ItemAdd(kList, 0, u"first\n1\nbeyond the last column");
  ItemAdd(kList, 99, u"last\n7");
  EXPECT_EQ(DrainWidgetEvents(), Events{});  // adding reports nothing
  ASSERT_EQ(ItemCount(kList), 4);
  const Text cells[][2] = {{u"Name", u"Size"}, {u"first", u"1"}, {u"a.jpg", u"1234"},
                           {u"b.png", u""},    {u"last", u"7"},  {u"", u""}};
  for (int64_t row = -1; row < 5; ++row) {
    for (int64_t column = 0; column < 3; ++column) {
      EXPECT_EQ(ItemText(kList, row, column), column < 2 ? cells[row + 1][column] : u"") << row << "," << column;
    }
  }
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(WidgetText(kList), u"");

  // A new first column starts empty; the old texts move right with their titles.
  ColumnAdd(kList, 0, u"Mark", 30);
  ColumnAdd(kList, 99, u"Type", 50);
  ColumnAdd(kList, -5, u"refused", 50);
  const Text titles[] = {u"Mark", u"Name", u"Size", u"Type"};
  ASSERT_EQ(drive::ColumnTotal(kList), 4);
  for (int64_t c = 0; c < 4; ++c) EXPECT_EQ(drive::ColumnTitle(kList, c), titles[c]) << c;
  EXPECT_EQ(ItemText(kList, 1, 0), u"");
  EXPECT_EQ(ItemText(kList, 1, 1), u"a.jpg");
  EXPECT_EQ(ItemText(kList, 1, 2), u"1234");
}

TEST_F(ColumnListTest, SelectionChangesAreReportedOnceAndAClickOnlyOnARow) {
  Create({u"a.jpg\n1234", u"b.png\n99"});
  enum class Act { Click, RightClick, Up, Refill };
  const struct {
    Act act;
    int64_t row;
    Events events;
    int64_t state;
  } steps[] = {
      {Act::Click, 1, {{kList, WidgetEventChange}, {kList, WidgetEventLeftClick}}, 1},
      {Act::Up, 0, {{kList, WidgetEventChange}}, 0},
      // Beside the rows the loss of the selection is one change, and nothing more after it.
      {Act::Click, kEmptySpace, {{kList, WidgetEventChange}}, -1},
      {Act::Click, kEmptySpace, {}, -1},
      {Act::RightClick, kEmptySpace, {{kList, WidgetEventRightClick}}, -1},
      {Act::Click, 0, {{kList, WidgetEventChange}, {kList, WidgetEventLeftClick}}, 0},
      // Clearing reports nothing; the next click beside the rows still reports the loss once.
      {Act::Refill, 0, {}, -1},
      {Act::Click, kEmptySpace, {{kList, WidgetEventChange}}, -1},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    const Point at = At(steps[i].row);
    switch (steps[i].act) {
      case Act::Click: drive::ClickAt(kList, at); break;
      case Act::RightClick: drive::ClickAt(kList, at, drive::Mouse::Right); break;
      case Act::Up: drive::PressKeyOn(kList, drive::Key::Up); break;
      case Act::Refill:
        ItemsClear(kList);
        ItemAdd(kList, -1, u"c.gif\n5");
        break;
    }
    EXPECT_EQ(DrainWidgetEvents(), steps[i].events);
    EXPECT_EQ(WidgetState(kList), steps[i].state);
  }
}

TEST_F(ColumnListTest, HeaderClicksAreRecordedForTheProgramToSortBy) {
  Create({});
  drive::ClickColumnHeader(kList, 1);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventColumnClick}}));
  WidgetRecord* w = FindWidget(kList);
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeClickedColumn), 1);
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeColumnCount), 2);
  // Without a window there is nowhere to put a list.
  WindowDestroy(0);
  EXPECT_EQ(ColumnListCreate(kList, 0, 0, 10, 10, u"Name", 10), 0);
}

TEST_F(ColumnListTest, ChecksStatesColoursAndDataOfRows) {
  Create({u"a\n1", u"b\n2"}, kListCheckBoxes | kListThreeStateChecks | kListGridLines);
  WidgetRecord* w = FindWidget(kList);
  // Ticking reports a change; three states are kept.
  w->ops->set_item_state(w, 1, kListItemChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemChecked);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  w->ops->set_item_state(w, 1, kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(drive::SelectedItems(kList), std::vector<int64_t>{1});
  w->ops->set_item_text(w, -1, u"Bytes", 1);
  EXPECT_EQ(drive::ColumnTitle(kList, 1), u"Bytes");

  // Per-row data and per-cell colours travel with their row.
  w->ops->set_item_data(w, 1, 0x1234567890LL);
  w->ops->set_item_colour(w, 1, 1, 0x0000ff);
  ItemAdd(kList, 0, u"new");
  EXPECT_EQ(w->ops->get_item_data(w, 2), 0x1234567890LL);
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 1), 0x0000ff);
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 0), -1);
  EXPECT_EQ(w->ops->remove_item(w, 0), 1);
  EXPECT_EQ(w->ops->remove_item(w, 7), 0);
  EXPECT_EQ(ItemCount(kList), 2);
  w->ops->remove_column(w, 1);
  EXPECT_EQ(drive::ColumnTotal(kList), 1);
}

}  // namespace
}  // namespace ui
