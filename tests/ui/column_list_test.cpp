#include "ui/column_list.h"

#include <algorithm>

#include "tests/ui/driver.h"
#include "tests/ui/widget_test_support.h"

namespace ui {
namespace {

using runtime::Text;
using widgettest::DrainWidgetEvents;
using Events = std::vector<std::pair<int64_t, int64_t>>;

constexpr int64_t kList = 2;

class ColumnListTest : public widgettest::WindowTest {
 protected:
  void Create(uint32_t flags = 0) {
    EXPECT_NE(ColumnListCreate(kList, 10, 10, 400, 300, u"Name", 200, flags), 0);
    ColumnAdd(kList, 1, u"Size", 80);
    ui_driver::Process();
  }
  static Point RowCentre(int64_t row) {
    const Rect r = ui_driver::ItemRect(kList, row);
    return Point{r.x + (r.width - 1) / 2, r.y + (r.height - 1) / 2};
  }
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
  EXPECT_EQ(ItemText(kList, -1, 0), u"Name");
  EXPECT_EQ(ItemText(kList, -1, 1), u"Size");
  EXPECT_EQ(ItemCount(kList), 5);
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(WidgetText(kList), u"");
}

TEST_F(ColumnListTest, ADoubleClickOnEmptySpaceIsReported) {
  Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  DrainWidgetEvents();
  ui_driver::DoubleClickAt(kList, EmptySpace());
  const Events events = DrainWidgetEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair<int64_t, int64_t>{kList, WidgetEventDoubleClick}),
            events.end());
  EXPECT_EQ(WidgetState(kList), -1);

  // On a row the double-click follows the selection.
  ui_driver::DoubleClickAt(kList, RowCentre(0));
  const Events on_row = DrainWidgetEvents();
  EXPECT_NE(std::find(on_row.begin(), on_row.end(), std::pair<int64_t, int64_t>{kList, WidgetEventDoubleClick}),
            on_row.end());
  EXPECT_EQ(WidgetText(kList), u"a.jpg");
}

TEST_F(ColumnListTest, WithoutAWindowThereIsNowhereToPutAList) {
  WindowDestroy(0);
  EXPECT_EQ(ColumnListCreate(kList, 0, 0, 10, 10, u"Name", 10), 0);
}

}  // namespace
}  // namespace ui
