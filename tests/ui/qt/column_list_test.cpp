// Qt only: these cases read the QTableWidget itself (column widths, properties, header, palette, pixels).
#include "ui/column_list.h"

#include <QApplication>
#include <QTest>
#include <QHeaderView>
#include <QImage>
#include <QTableWidget>

#include <algorithm>

#include "tests/ui/widget_test_support.h"
#include "ui/qt/qt_ui.h"

namespace ui {
namespace {

using runtime::Text;
using widgettest::DrainWidgetEvents;
using Events = std::vector<std::pair<int64_t, int64_t>>;

constexpr int64_t kList = 2;

class QtColumnListTest : public widgettest::WindowTest {
 protected:
  QTableWidget* Create(uint32_t flags = 0) {
    EXPECT_NE(ColumnListCreate(kList, 10, 10, 400, 300, u"Name", 200, flags), 0);
    ColumnAdd(kList, 1, u"Size", 80);
    auto* list = static_cast<QTableWidget*>(ui::QtControl(kList));
    EXPECT_NE(list, nullptr);
    QApplication::processEvents();
    return list;
  }

  void ClickRow(QTableWidget* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(row, 0)).center());
  }
  // A point below the last row.
  static QPoint EmptySpace(QTableWidget* list) { return QPoint(20, list->viewport()->height() - 5); }

  WidgetRecord* Record() { return FindWidget(kList); }
};

TEST_F(QtColumnListTest, ANewFirstColumnStartsEmptyAndOldTextsKeepTheirTitles) {
  QTableWidget* list = Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ColumnAdd(kList, 0, u"Mark", 30);
  ColumnAdd(kList, 99, u"Type", 50);
  ColumnAdd(kList, -5, u"refused", 50);
  ASSERT_EQ(list->columnCount(), 4);
  EXPECT_EQ(ItemText(kList, -1, 0), u"Mark");
  EXPECT_EQ(ItemText(kList, -1, 1), u"Name");
  EXPECT_EQ(ItemText(kList, -1, 3), u"Type");
  EXPECT_EQ(ItemText(kList, 0, 0), u"");
  EXPECT_EQ(ItemText(kList, 0, 1), u"a.jpg");
  EXPECT_EQ(ItemText(kList, 0, 2), u"1234");
  EXPECT_EQ(list->columnWidth(0), ScaleX(30));
}

TEST_F(QtColumnListTest, ClickingARowSelectsItAndClearingForgetsIt) {
  QTableWidget* list = Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ItemAdd(kList, -1, u"b.png\n99");
  DrainWidgetEvents();

  ClickRow(list, 1);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}, {kList, WidgetEventLeftClick}}));
  EXPECT_EQ(WidgetState(kList), 1);
  EXPECT_EQ(WidgetText(kList), u"b.png");
  EXPECT_EQ(list->property("VX_LastSelected").toLongLong(), 1);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  EXPECT_EQ(WidgetText(kList), u"a.jpg");

  ItemsClear(kList);
  EXPECT_EQ(DrainWidgetEvents(), Events{});
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(WidgetText(kList), u"");
  EXPECT_EQ(ItemText(kList, 0, 0), u"");
  EXPECT_EQ(ItemCount(kList), 0);
  EXPECT_EQ(ItemText(kList, -1, 0), u"Name");
}

TEST_F(QtColumnListTest, TheDeselectionCheckReportsOnceAndThenNothing) {
  QTableWidget* list = Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ClickRow(list, 0);
  ItemsClear(kList);
  ItemAdd(kList, -1, u"c.gif\n5");
  DrainWidgetEvents();

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  EXPECT_EQ(list->property("VX_LastSelected").toLongLong(), -1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), Events{});
  // The right button runs the check too, and always reports itself.
  QTest::mouseClick(list->viewport(), Qt::RightButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventRightClick}}));
}

// A click beside the rows lets go of the selected row: the loss of the selection is one change, the
// click itself is not reported (no row is selected), and the release adds nothing.
TEST_F(QtColumnListTest, AClickBesideTheRowsDeselectsWithOneChangeAndNoClick) {
  QTableWidget* list = Create();
  ItemAdd(kList, -1, u"a.jpg\n1234");
  ItemAdd(kList, -1, u"b.png\n99");
  ClickRow(list, 1);
  DrainWidgetEvents();

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  EXPECT_EQ(WidgetState(kList), -1);
  EXPECT_EQ(list->property("VX_LastSelected").toLongLong(), -1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), Events{});

  // A press and a release apart: the press has already reported everything.
  ClickRow(list, 0);
  DrainWidgetEvents();
  QTest::mousePress(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, EmptySpace(list));
  EXPECT_EQ(DrainWidgetEvents(), Events{});
}

TEST_F(QtColumnListTest, DraggingRowsReportsTheSelectedOnes) {
  QTableWidget* list = Create(kListMultipleSelection);
  for (const char16_t* row : {u"a\n1", u"b\n2", u"c\n3"}) ItemAdd(kList, -1, row);
  ClickRow(list, 0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(2, 0)).center());
  DrainWidgetEvents();
  const QPoint from = list->visualItemRect(list->item(2, 0)).center();
  QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(list->viewport(), from + QPoint(QApplication::startDragDistance() + 20, 0));
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, from + QPoint(QApplication::startDragDistance() + 20, 0));
  const Events events = DrainWidgetEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair<int64_t, int64_t>{kList, WidgetEventDragStart}),
            events.end());
  const QVariantList rows = list->property("VX_DragItems").toList();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].toLongLong(), 0);
  EXPECT_EQ(rows[1].toLongLong(), 2);
}

TEST_F(QtColumnListTest, HeaderClicksAreRecordedAndReported) {
  QTableWidget* list = Create();
  DrainWidgetEvents();
  QHeaderView* header = list->horizontalHeader();
  const QPoint size_title(header->sectionViewportPosition(1) + 10, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size_title);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventColumnClick}}));
  EXPECT_EQ(list->property("VX_ClikedColumn").toLongLong(), 1);
  WidgetRecord* w = Record();
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeClickedColumn), 1);
  EXPECT_EQ(w->ops->get_attribute(w, kListAttributeColumnCount), 2);
}

TEST_F(QtColumnListTest, KindTableCoversStatesColoursDataAndCheckBoxes) {
  QTableWidget* list = Create(kListCheckBoxes | kListThreeStateChecks | kListGridLines);
  ItemAdd(kList, -1, u"a\n1");
  ItemAdd(kList, -1, u"b\n2");
  WidgetRecord* w = Record();
  DrainWidgetEvents();

  // Check boxes: ticking reports a change; three states are kept.
  w->ops->set_item_state(w, 1, kListItemChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemChecked);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kList, WidgetEventChange}}));
  w->ops->set_item_state(w, 1, kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(w->ops->get_item_state(w, 1), kListItemSelected | kListItemPartlyChecked);
  EXPECT_EQ(WidgetState(kList), 1);
  w->ops->set_state(w, -1);
  EXPECT_EQ(WidgetState(kList), -1);
  w->ops->set_state(w, 0);
  EXPECT_EQ(WidgetText(kList), u"a");
  w->ops->set_text(w, u"renamed\n42");
  EXPECT_EQ(ItemText(kList, 0, 1), u"42");
  w->ops->set_item_text(w, -1, u"Bytes", 1);
  EXPECT_EQ(ItemText(kList, -1, 1), u"Bytes");

  // Per-row data and per-cell colours travel with their row.
  w->ops->set_item_data(w, 1, 0x1234567890LL);
  w->ops->set_item_colour(w, 1, 1, 0x0000ff);
  ItemAdd(kList, 0, u"new");
  EXPECT_EQ(w->ops->get_item_data(w, 2), 0x1234567890LL);
  EXPECT_EQ(w->ops->get_item_data(w, 1), 0);
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 1), 0x0000ff);
  EXPECT_EQ(list->item(2, 1)->foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(w->ops->get_item_colour(w, 2, 0), -1);

  // List colours: -1 until set, back to the default with -1.
  EXPECT_EQ(w->ops->get_colour(w, kListColourText), -1);
  w->ops->set_colour(w, kListColourBackground, 0x00ff00);
  EXPECT_EQ(w->ops->get_colour(w, kListColourBackground), 0x00ff00);
  EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0, 255, 0));
  w->ops->set_colour(w, kListColourBackground, -1);
  EXPECT_EQ(w->ops->get_colour(w, kListColourBackground), -1);
  EXPECT_EQ(w->ops->get_colour(w, kListColourGrid), -1);
  w->ops->set_colour(w, kListColourGrid, 0x808080);
  EXPECT_EQ(w->ops->get_colour(w, kListColourGrid), 0x808080);

  // Grid lines are drawn over the rows in the grid colour.
  list->resize(400, 300);
  const QImage shot = list->viewport()->grab().toImage();
  const int line_y = list->rowViewportPosition(0) + list->rowHeight(0) - 1;
  EXPECT_EQ(QColor(shot.pixel(list->columnWidth(0) / 2, line_y)), QColor(0x80, 0x80, 0x80));

  EXPECT_EQ(w->ops->remove_item(w, 0), 1);
  EXPECT_EQ(w->ops->remove_item(w, 7), 0);
  EXPECT_EQ(ItemCount(kList), 2);
  w->ops->remove_column(w, 1);
  EXPECT_EQ(list->columnCount(), 1);
}

}  // namespace
}  // namespace ui
