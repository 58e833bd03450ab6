// Qt only: Qt's own focus chain and an item view that keeps Tab must not change the Tab cycle.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QWidget>

#include "tests/ui/driver.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace {

namespace drive = ui_driver;

TEST(QtWindowTest, QtFocusChainAndTabKeyNavigationDoNotChangeTheCycle) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 400, 300, u"tabs", 0xCC0000), 0);
  ASSERT_NE(ui::ButtonCreate(1, 10, 10, 80, 30, u"first"), 0);
  ASSERT_NE(ui::ListBoxCreate(2, 10, 50, 100, 100), 0);
  ASSERT_NE(ui::ButtonCreate(3, 10, 240, 80, 30, u"last"), 0);
  auto* list = static_cast<QListWidget*>(ui::QtControl(2));
  list->setTabKeyNavigation(true);
  ui::ItemAdd(2, -1, u"one");
  ui::ItemAdd(2, -1, u"two");
  list->setCurrentRow(0);
  QWidget::setTabOrder(ui::QtControl(3), ui::QtControl(2));
  ASSERT_TRUE(drive::ActivateWindow(0));
  drive::FocusWidget(2);
  drive::PressKey(0, drive::Key::Tab);
  EXPECT_EQ(drive::FocusedWidget(), 3);
  // Shift with Tab itself, as some keyboards send it.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(drive::FocusedWidget(), 2);
  ui::WindowDestroy(runtime::AnyId);
  ui::RemoveEvents(-1, -1, -1, -1);
}

}  // namespace
