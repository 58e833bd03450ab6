#include "ui/window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/widget.h"
#include "ui_test_support.h"
#include "ui/qt/qt_ui.h"

namespace {

using ui_test::Drain;
using ui_test::Event;
using ui_test::Only;
using ui_test::PumpAndDrain;

class WindowTest : public testing::Test {
 protected:
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
};

// Everything but the events that painting and activation scatter in between.
std::vector<Event> StateEvents(const std::vector<Event>& events) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.code == ui::EventWindowRepaint || e.code == ui::EventWindowActivated ||
        e.code == ui::EventWindowDeactivated || e.code == ui::EventWindowMoved || e.code < 13000) {
      continue;
    }
    out.push_back(e);
  }
  return out;
}

TEST_F(WindowTest, CloseBoxTwiceGivesOneCloseEventAndTheWindowStays) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 300, 200, u"close", 0xCC0000), 0);
  QWidget* w = ui::QtWindow(0);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  PumpAndDrain();
  // QWindow::close() takes the window system's road: the same request as the close box.
  w->windowHandle()->close();
  w->windowHandle()->close();
  EXPECT_EQ(Only(Drain(), ui::EventCloseWindow), (std::vector<Event>{{ui::EventCloseWindow, 0, 0, 0}}));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(ui::QtWindow(0), w);
  // The wake-up that followed the request ends a wait without being an event.
  EXPECT_EQ(ui::EventWait(), ui::kWaitWakeUp);
  EXPECT_EQ(ui::EventKind(), -1);
  EXPECT_EQ(ui::EventSource(), 0);
}

TEST_F(WindowTest, MaximiseThenRestoreGivesRestoredThenOneSized) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 300, 200, u"sizes", 0xCF0000), 0);
  QWidget* w = ui::QtWindow(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  PumpAndDrain();
  w->showMaximized();
  QTRY_VERIFY(w->isMaximized());
  const std::vector<Event> maximised = StateEvents(PumpAndDrain());
  ASSERT_FALSE(maximised.empty());
  EXPECT_EQ(maximised.front(), (Event{ui::EventWindowMaximized, 0, 0, 0}));
  EXPECT_EQ(maximised.back(), (Event{ui::EventWindowSized, 0, 0, 0}));

  w->showNormal();
  w->resize(w->width() + 10, w->height());  // more size messages before the fetch
  w->resize(w->width() + 10, w->height());
  QTRY_VERIFY(!w->isMaximized());
  QCoreApplication::processEvents();
  const std::vector<Event> restored = StateEvents(PumpAndDrain());
  EXPECT_EQ(restored, (std::vector<Event>{{ui::EventWindowRestored, 0, 0, 0}, {ui::EventWindowSized, 0, 0, 0}}));

  // Unfetched, the size reported with the maximisation goes too: one size, the last.
  w->showMaximized();
  QTRY_VERIFY(w->isMaximized());
  QCoreApplication::processEvents();
  w->showNormal();
  QTRY_VERIFY(!w->isMaximized());
  QCoreApplication::processEvents();
  EXPECT_EQ(StateEvents(PumpAndDrain()), (std::vector<Event>{{ui::EventWindowMaximized, 0, 0, 0},
                                                              {ui::EventWindowRestored, 0, 0, 0},
                                                              {ui::EventWindowSized, 0, 0, 0}}));
}

TEST_F(WindowTest, MinimiseReportsOnlyMinimised) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 300, 200, u"min", 0xCE0000), 0);
  QWidget* w = ui::QtWindow(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  PumpAndDrain();
  w->showMinimized();
  QTRY_VERIFY(w->isMinimized());
  EXPECT_EQ(StateEvents(PumpAndDrain()), (std::vector<Event>{{ui::EventWindowMinimized, 0, 0, 0}}));
}

TEST_F(WindowTest, AnyIdNumbersAndTheWindowProperty) {
  const int64_t a = ui::WindowCreate(runtime::AnyId, 0, 0, 100, 100, u"a", 0);
  const int64_t b = ui::WindowCreate(runtime::AnyId, 0, 0, 100, 100, u"b", 0);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  ASSERT_NE(ui::QtWindow(a), nullptr);
  EXPECT_EQ(ui::QtWindow(a)->property("VX_WindowID").toLongLong(), a + 1);
  EXPECT_EQ(ui::QtWindow(a)->windowTitle(), QStringLiteral("a"));
  // A fixed number returns a handle, not the number.
  const int64_t handle = ui::WindowCreate(5, 0, 0, 100, 100, u"", 0);
  EXPECT_EQ(handle, static_cast<int64_t>(reinterpret_cast<intptr_t>(ui::QtWindow(5))));
  EXPECT_EQ(ui::WindowCreate(-7, 0, 0, 100, 100, u"", 0), 0);
  ui::WindowDestroy(a);
  EXPECT_EQ(ui::QtWindow(a), nullptr);
  EXPECT_NE(ui::QtWindow(b), nullptr);
  ui::WindowDestroy(12345);  // names nothing
  ui::WindowDestroy(runtime::AnyId);
  EXPECT_EQ(ui::QtWindow(b), nullptr);
  EXPECT_EQ(ui::QtWindow(5), nullptr);
}

TEST_F(WindowTest, FlagsMapOntoQtWindowFlags) {
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

TEST_F(WindowTest, ClicksOnTheWindowsOwnAreaAndMoves) {
  ASSERT_NE(ui::WindowCreate(2, 20, 20, 300, 200, u"clicks", 0xCC0000), 0);
  ASSERT_NE(ui::ButtonCreate(3, 0, 0, 50, 50, u"b"), 0);
  QWidget* w = ui::QtWindow(2);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  PumpAndDrain();
  QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(200, 150));
  QTest::mouseClick(w, Qt::RightButton, {}, QPoint(200, 150));
  QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(200, 150));
  QTest::mouseClick(ui::QtControl(3), Qt::RightButton);  // a control's click is not the window's
  const std::vector<Event> events = StateEvents(PumpAndDrain());
  EXPECT_FALSE(Only(events, ui::EventWindowLeftClick).empty());
  EXPECT_EQ(Only(events, ui::EventWindowRightClick), (std::vector<Event>{{ui::EventWindowRightClick, 0, 2, 0}}));
  EXPECT_EQ(Only(events, ui::EventWindowLeftDoubleClick).size(), 1u);
  w->move(60, 70);
  QTRY_COMPARE(w->pos(), QPoint(60, 70));
  const std::vector<Event> moved = Only(PumpAndDrain(), ui::EventWindowMoved);
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(moved.back(), (Event{ui::EventWindowMoved, 2, 2, 0}));
}

TEST_F(WindowTest, CentringOnTheScreenAndOnTheParent) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QRect sg = screen->geometry();
  ASSERT_NE(ui::WindowCreate(0, 5, 5, 200, 100, u"", 0xCC0000 | ui::kWindowCentreOnScreen), 0);
  QWidget* parent = ui::QtWindow(0);
  const QSize outer = parent->frameGeometry().size();
  EXPECT_EQ(parent->pos(), QPoint(sg.x() + (sg.width() - outer.width()) / 2, sg.y() + (sg.height() - outer.height()) / 2));
  ASSERT_NE(ui::WindowCreate(1, 5, 5, 100, 50, u"", 0xCC0000 | ui::kWindowCentreOnParent | 0x8, parent), 0);
  const QRect child = ui::QtWindow(1)->frameGeometry();
  EXPECT_EQ(child.center(), parent->frameGeometry().center());
  EXPECT_EQ(ui::QtContainer(), parent);
}

TEST_F(WindowTest, IgnoredPositionIsLeftToTheWindowSystem) {
  ASSERT_NE(ui::WindowCreate(0, ui::kWindowPositionIgnore, 300, 100, 100, u"", 0x8), 0);
  EXPECT_FALSE(ui::QtWindow(0)->testAttribute(Qt::WA_Moved));
  ASSERT_NE(ui::WindowCreate(1, 300, ui::kWindowPositionIgnore, 100, 100, u"", 0x8), 0);
  EXPECT_FALSE(ui::QtWindow(1)->testAttribute(Qt::WA_Moved));
  ASSERT_NE(ui::WindowCreate(2, 300, 200, 100, 100, u"", 0x8), 0);
  EXPECT_TRUE(ui::QtWindow(2)->testAttribute(Qt::WA_Moved));
}

TEST_F(WindowTest, DestroyingTheWindowDestroysItsWidgetsAndDropsTheirEvents) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 300, 200, u"gone", 0xCC0000), 0);
  ASSERT_NE(ui::ButtonCreate(3, 10, 10, 100, 30, u"b"), 0);
  ASSERT_NE(ui::ListBoxCreate(6, 10, 50, 100, 100), 0);
  QTest::mouseClick(ui::QtControl(3), Qt::LeftButton);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  ui::PostEvent(ui::EventWidget, 9, 1, 0);  // another window's event stays
  ui::WindowDestroy(0);
  EXPECT_EQ(ui::QtWindow(0), nullptr);
  EXPECT_EQ(ui::QtControl(3), nullptr);
  EXPECT_EQ(ui::QtControl(6), nullptr);
  EXPECT_EQ(ui::QtContainer(), nullptr);
  EXPECT_EQ(Drain(), (std::vector<Event>{{ui::EventWidget, 9, 1, 0}}));
  // Without a container no widget can be made, and the number stays free.
  EXPECT_EQ(ui::ButtonCreate(3, 10, 10, 100, 30, u"b"), 0);
  EXPECT_EQ(ui::FindWidget(3), nullptr);
}

TEST_F(WindowTest, TabCyclesOverEnabledVisibleWidgetsInCreationOrder) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 400, 300, u"tabs", 0xCC0000), 0);
  QWidget* w = ui::QtWindow(0);
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
  ui::QtControl(3)->setEnabled(false);
  ui::QtControl(4)->hide();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  ui::QtControl(1)->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), ui::QtControl(1));
  PumpAndDrain();

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ui::QtControl(2));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ui::QtControl(5));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ui::QtControl(1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), ui::QtControl(5));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), ui::QtControl(2));
  EXPECT_TRUE(Only(PumpAndDrain(), ui::EventWidget).empty());  // focus moves are not events
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(ui::MulDiv(25, 144, 96), 38);
  EXPECT_EQ(ui::MulDiv(-25, 144, 96), -38);
  EXPECT_EQ(ui::MulDiv(25, -144, 96), -38);
  EXPECT_EQ(ui::MulDiv(7, 1, 3), 2);
  EXPECT_EQ(ui::MulDiv(8, 1, 3), 3);
  EXPECT_EQ(ui::MulDiv(1, 1, 0), -1);
  EXPECT_EQ(ui::MulDiv(2000000000, 2000000000, 1), -1);
  EXPECT_EQ(ui::MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
}

}  // namespace
