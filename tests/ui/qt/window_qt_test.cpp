// Qt only: these cases set up or read Qt's own window flags and focus chain.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QWidget>

#include "tests/ui/driver.h"
#include "tests/ui/ui_test_support.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace {

namespace drive = ui_driver;
using ui_test::Only;
using ui_test::PumpAndDrain;

class QtWindowTest : public testing::Test {
 protected:
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
};

TEST_F(QtWindowTest, FlagsMapOntoQtWindowFlags) {
  ASSERT_NE(ui::WindowCreate(0, 30, 40, 200, 100, u"main", 0xCC0000), 0);
  QWidget* w = ui::QtWindow(0);
  const Qt::WindowFlags f = w->windowFlags();
  EXPECT_TRUE(f & Qt::WindowTitleHint);
  EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_NE(w->minimumSize(), w->maximumSize());  // the sizing frame: the user may resize it
  EXPECT_EQ(w->size(), QSize(200, 100));
  EXPECT_EQ(w->pos(), QPoint(30, 40));
  EXPECT_EQ(ui::QtContainer(), w);

  // No sizing frame: fixed size. Flag 8: not the container. Hidden bit: not shown.
  ASSERT_NE(ui::WindowCreate(1, 0, 0, 120, 80, u"fixed", 0xC80000 | 0x8 | 0x10000000), 0);
  QWidget* fixed = ui::QtWindow(1);
  EXPECT_EQ(fixed->minimumSize(), fixed->maximumSize());
  EXPECT_FALSE(fixed->isVisible());
  EXPECT_EQ(ui::QtContainer(), w);

  // A tool window loses the minimise and maximise boxes even when asked for them.
  ASSERT_NE(ui::WindowCreate(2, 0, 0, 120, 80, u"tool", 0x4 | 0xCF0000 | 0x8), 0);
  const Qt::WindowFlags tf = ui::QtWindow(2)->windowFlags();
  EXPECT_EQ(tf & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_FALSE(tf & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(tf & Qt::WindowTitleHint);
}

TEST_F(QtWindowTest, TabCyclesOverEnabledVisibleWidgetsInCreationOrder) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 400, 300, u"tabs", 0xCC0000), 0);
  ASSERT_NE(ui::ButtonCreate(1, 10, 10, 80, 30, u"first"), 0);
  ASSERT_NE(ui::ListBoxCreate(2, 10, 50, 100, 100), 0);
  ASSERT_NE(ui::ButtonCreate(3, 10, 160, 80, 30, u"disabled"), 0);
  ASSERT_NE(ui::ButtonCreate(4, 10, 200, 80, 30, u"hidden"), 0);
  ASSERT_NE(ui::ButtonCreate(5, 10, 240, 80, 30, u"last"), 0);
  // A list that keeps Tab for moving between its items, and a Qt focus chain in another order:
  // neither may change the cycle.
  auto* list = static_cast<QListWidget*>(ui::QtControl(2));
  list->setTabKeyNavigation(true);
  ui::ItemAdd(2, -1, u"one");
  ui::ItemAdd(2, -1, u"two");
  list->setCurrentRow(0);
  QWidget::setTabOrder(ui::QtControl(5), ui::QtControl(2));
  drive::EnableWidget(3, false);
  drive::ShowWidget(4, false);
  ASSERT_TRUE(drive::ActivateWindow(0));
  drive::FocusWidget(1);
  ASSERT_EQ(drive::FocusedWidget(), 1);
  PumpAndDrain();

  drive::PressKey(0, drive::Key::Tab);
  EXPECT_EQ(drive::FocusedWidget(), 2);
  drive::PressKey(0, drive::Key::Tab);
  EXPECT_EQ(drive::FocusedWidget(), 5);
  drive::PressKey(0, drive::Key::Tab);
  EXPECT_EQ(drive::FocusedWidget(), 1);
  drive::PressKey(0, drive::Key::ShiftTab);
  EXPECT_EQ(drive::FocusedWidget(), 5);
  // Shift with Tab itself, as some keyboards send it.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(drive::FocusedWidget(), 2);
  EXPECT_TRUE(Only(PumpAndDrain(), ui::EventWidget).empty());  // focus moves are not events
}

}  // namespace
