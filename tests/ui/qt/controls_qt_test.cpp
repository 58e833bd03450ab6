// Qt only: each case looks at or acts on the Qt objects themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTableWidget>
#include <QTest>

#include "tests/ui/widget_test_support.h"
#include "ui/button.h"
#include "ui/column_list.h"
#include "ui/folder_tree.h"
#include "ui/qt/qt_ui.h"

namespace {

class QtControlsTest : public widgettest::WindowTest {};

// Qt may delete a control behind the registry's back.
TEST_F(QtControlsTest, AControlQtDeletesIsForgottenWithItsEvents) {
  ASSERT_NE(ui::ButtonCreate(3, 10, 315, 100, 30, u"button"), 0);
  QTest::mouseClick(ui::QtControl(3), Qt::LeftButton);
  delete ui::QtControl(3);
  EXPECT_EQ(ui::FindWidget(3), nullptr);
  EXPECT_EQ(ui_test::Drain(ui::EventWidget), std::vector<ui_test::Event>{});
}

// The colours the kinds keep must reach the Qt palettes and items that paint them.
TEST_F(QtControlsTest, ColoursReachWhatQtPaints) {
  ASSERT_NE(ui::FolderTreeCreate(1, 220, 350, 200, 200, u""), 0);
  ui::WidgetRecord* tree = ui::FindWidget(1);
  QWidget* tree_control = ui::QtControl(1);
  tree->ops->set_colour(tree, ui::kTreeColourText, 0x0000ff);
  EXPECT_EQ(tree_control->palette().color(QPalette::Text), QColor(255, 0, 0));
  tree->ops->set_colour(tree, ui::kTreeColourText, -1);
  EXPECT_EQ(tree_control->palette().color(QPalette::Text), QApplication::palette(tree_control).color(QPalette::Text));

  ASSERT_NE(ui::ColumnListCreate(2, 10, 10, 400, 300, u"Name", 200, ui::kListGridLines), 0);
  ui::ColumnAdd(2, 1, u"Size", 80);
  ui::ItemAdd(2, -1, u"a\n1");
  auto* list = static_cast<QTableWidget*>(ui::QtControl(2));
  ui::WidgetRecord* w = ui::FindWidget(2);
  w->ops->set_item_colour(w, 0, 1, 0x0000ff);
  EXPECT_EQ(list->item(0, 1)->foreground().color(), QColor(255, 0, 0));
  // Grid lines are drawn over the rows in the grid colour.
  w->ops->set_colour(w, ui::kListColourGrid, 0x808080);
  const QImage shot = list->viewport()->grab().toImage();
  const int line_y = list->rowViewportPosition(0) + list->rowHeight(0) - 1;
  EXPECT_EQ(QColor(shot.pixel(list->columnWidth(0) / 2, line_y)), QColor(0x80, 0x80, 0x80));
}

}  // namespace
