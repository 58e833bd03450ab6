// Qt only: these cases read the Qt controls themselves (signals, properties, palette, the message
// box's widgets) or delete a control behind the registry's back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "tests/ui/ui_test_support.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace {

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

class QtControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 20, 20, 600, 600, u"controls", 0xCC0000), 0);
    ASSERT_NE(ui::ButtonCreate(3, 10, 315, 100, 30, u" p r o c e s s "), 0);
    ASSERT_NE(ui::ListBoxCreate(6, 10, 350, 500, 200), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::QtWindow(0)));
    PumpAndDrain();
  }
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
  static QListWidget* List() { return static_cast<QListWidget*>(ui::QtControl(6)); }
  static QPoint ItemCentre(int row) { return List()->visualItemRect(List()->item(row)).center(); }
  static std::vector<Event> WidgetEvents() { return Only(PumpAndDrain(), ui::EventWidget); }
  static void Fill(std::initializer_list<const char16_t*> items) {
    for (const char16_t* t : items) ui::ItemAdd(6, -1, t);
  }
};

TEST_F(QtControlsTest, AddingOrClearingItemsNeverPostsEvenWhenTheControlReportsASelectionChange) {
  Fill({u"a", u"b"});
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, ItemCentre(0));
  ASSERT_EQ(ui::WidgetState(6), 0);
  ASSERT_FALSE(WidgetEvents().empty());

  QSignalSpy reported(List(), &QListWidget::itemSelectionChanged);
  ui::ItemAdd(6, 0, u"pushes the selection down");
  EXPECT_GE(reported.count(), 1);  // the control did report a change...
  EXPECT_EQ(ui::QueuedEventCount(), 0);  // ...and nothing reached the queue
  EXPECT_EQ(ui::WidgetState(6), 1);
  const int before_clear = static_cast<int>(reported.count());
  ui::ItemsClear(6);
  EXPECT_GT(reported.count(), before_clear);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
  EXPECT_EQ(ui::ItemCount(6), 0);
  EXPECT_EQ(ui::WidgetState(6), -1);
  // Suppression ends with the operation: the user's next click is reported.
  Fill({u"c"});
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, ItemCentre(0));
  EXPECT_FALSE(WidgetEvents().empty());
}

TEST_F(QtControlsTest, ColumnAddOnAListBoxDoesNothing) {
  Fill({u"a"});
  EXPECT_EQ(ui::ColumnAdd(6, 0, u"Name", 250), 0);
  EXPECT_EQ(ui::ItemCount(6), 1);
  EXPECT_EQ(ui::ItemText(6, 0, 0), Text(u"a"));
  EXPECT_EQ(List()->model()->columnCount(), 1);
}

TEST_F(QtControlsTest, DragStartsOnlyBeyondTheDragDistance) {
  Fill({u"alpha", u"beta", u"gamma"});
  const QPoint start = ItemCentre(0);
  const int distance = QApplication::startDragDistance();
  QTest::mousePress(List()->viewport(), Qt::LeftButton, {}, start);
  EXPECT_TRUE(List()->property("VX_MouseDown").isValid());
  QTest::mouseMove(List()->viewport(), start + QPoint(distance, 0));
  QTest::mouseRelease(List()->viewport(), Qt::LeftButton, {}, start + QPoint(distance, 0));
  std::vector<Event> events = WidgetEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), Event{ui::EventWidget, 6, 0, ui::WidgetEventDragStart}), 0);
  EXPECT_FALSE(List()->property("VX_MouseDown").isValid());

  QTest::mousePress(List()->viewport(), Qt::LeftButton, {}, start);
  QTest::mouseMove(List()->viewport(), start + QPoint(0, distance + 1));
  EXPECT_FALSE(List()->property("VX_MouseDown").isValid());
  QTest::mouseRelease(List()->viewport(), Qt::LeftButton, {}, start + QPoint(0, distance + 1));
  events = WidgetEvents();
  EXPECT_EQ(events, (std::vector<Event>{{ui::EventWidget, 6, 0, ui::WidgetEventDragStart}}));
  EXPECT_EQ(List()->property("VX_DragItems").toList(), QVariantList{0});
}

TEST_F(QtControlsTest, MultiSelectionDragKeepsTheSelection) {
  ASSERT_NE(ui::ListBoxCreate(8, 10, 10, 200, 200, ui::kListBoxExtendedSelection), 0);
  auto* l = static_cast<QListWidget*>(ui::QtControl(8));
  for (const char16_t* t : {u"a", u"b", u"c"}) ui::ItemAdd(8, -1, t);
  QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(0)).center());
  QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::ControlModifier, l->visualItemRect(l->item(2)).center());
  ASSERT_EQ(l->selectedItems().size(), 2);
  PumpAndDrain();
  const QPoint start = l->visualItemRect(l->item(2)).center();
  QTest::mousePress(l->viewport(), Qt::LeftButton, {}, start);
  EXPECT_EQ(l->selectedItems().size(), 2);  // the press did not reduce the selection
  QTest::mouseMove(l->viewport(), start + QPoint(QApplication::startDragDistance() + 5, 0));
  QTest::mouseRelease(l->viewport(), Qt::LeftButton, {}, start + QPoint(QApplication::startDragDistance() + 5, 0));
  EXPECT_EQ(Only(PumpAndDrain(), ui::EventWidget), (std::vector<Event>{{ui::EventWidget, 8, 0, ui::WidgetEventDragStart}}));
  EXPECT_EQ(l->property("VX_DragItems").toList(), (QVariantList{0, 2}));
  EXPECT_EQ(ui::WidgetState(8), 0);
}

TEST_F(QtControlsTest, ListBoxKindOperations) {
  Fill({u"Apple", u"banana", u"Cherry"});
  ui::WidgetSetText(6, u"CHERRY");
  EXPECT_EQ(ui::WidgetState(6), 2);
  ui::WidgetSetText(6, u"durian");  // no match clears a single selection
  EXPECT_EQ(ui::WidgetState(6), -1);
  EXPECT_EQ(ui::WidgetText(6), Text());
  ui::WidgetSetState(6, 1);
  EXPECT_EQ(ui::WidgetText(6), Text(u"banana"));
  EXPECT_TRUE(WidgetEvents().empty());  // the program's own changes are not the user's clicks

  ui::WidgetRecord* r = ui::FindWidget(6);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ops->kind, ui::WidgetKindListBox);
  EXPECT_EQ(r->ops->size, 328);
  r->ops->set_item_data(r, 1, int64_t{1} << 40);
  r->ops->set_item_text(r, 1, u"blueberry", 0);
  EXPECT_EQ(r->ops->get_item_data(r, 1), int64_t{1} << 40);  // replaced in place
  EXPECT_EQ(ui::ItemText(6, 1, 0), Text(u"blueberry"));
  EXPECT_EQ(r->ops->remove_item(r, 0), 2);
  EXPECT_EQ(r->ops->remove_item(r, 5), -1);
  EXPECT_EQ(r->ops->get_colour(r, ui::kColourBackground), -1);
  r->ops->set_colour(r, ui::kColourBackground, 0x0000FF);
  EXPECT_EQ(r->ops->get_colour(r, ui::kColourBackground), 0x0000FF);
  EXPECT_EQ(List()->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(QtControlsTest, DestroyedWidgetIsSilencedAndItsQueuedEventsGo) {
  QTest::mouseClick(ui::QtControl(3), Qt::LeftButton);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  QPointer<QWidget> control = ui::QtControl(3);
  ui::WidgetDestroy(3);
  EXPECT_TRUE(control.isNull());
  EXPECT_EQ(ui::FindWidget(3), nullptr);
  ExpectOnlyTheSizeLeft(Drain());
  // The same when Qt deletes the control behind the registry's back.
  ASSERT_NE(ui::ButtonCreate(4, 0, 0, 10, 10, u"four"), 0);
  QTest::mouseClick(ui::QtControl(4), Qt::LeftButton);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  delete ui::QtControl(4);
  EXPECT_EQ(ui::FindWidget(4), nullptr);
  ExpectOnlyTheSizeLeft(Drain());
  // Reusing a live fixed number replaces the old widget.
  ASSERT_NE(ui::ButtonCreate(3, 0, 0, 10, 10, u"old"), 0);
  QPointer<QWidget> old = ui::QtControl(3);
  ASSERT_NE(ui::ButtonCreate(3, 0, 0, 10, 10, u"new"), 0);
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(ui::WidgetText(3), Text(u"new"));
  // AnyId widgets are numbered by their record and carry it in "VX_ID".
  const int64_t n = ui::ButtonCreate(runtime::AnyId, 0, 0, 10, 10, u"any");
  ASSERT_NE(n, 0);
  EXPECT_EQ(ui::QtControl(n)->property("VX_ID").toLongLong(), n);
  QTest::mouseClick(ui::QtControl(n), Qt::LeftButton);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, n, 0, 0}}));
  ui::WidgetDestroy(n);
  EXPECT_EQ(ui::FindWidget(n), nullptr);
}

TEST_F(QtControlsTest, MessageBoxCutsLongTextAndDisablesTheProgramWhileOpen) {
  QWidget* main_window = ui::QtWindow(0);
  Text text(70000, u'x');
  text[65533] = u'y';  // the last unit kept
  int shown_length = -1;
  bool main_enabled_while_open = true;
  bool box_enabled = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll.stop();
    shown_length = static_cast<int>(box->text().size());
    main_enabled_while_open = main_window->isEnabled();
    box_enabled = box->isEnabled();
    if (box->text().endsWith(QLatin1Char('y'))) shown_length += 1000000;  // marks the right cut
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  });
  poll.start(10);
  const int32_t answer = ui::MessageBoxShow(u"title", text);
  EXPECT_EQ(answer, ui::kAnswerOk);
  EXPECT_EQ(shown_length, 1000000 + 65534);
  EXPECT_FALSE(main_enabled_while_open);
  EXPECT_TRUE(box_enabled);
  EXPECT_TRUE(main_window->isEnabled());
  EXPECT_TRUE(ui::QtControl(3)->isEnabled());
}

TEST_F(QtControlsTest, MessageBoxAnswersWithThePlatformButtonIds) {
  QWidget* main_window = ui::QtWindow(0);
  main_window->setEnabled(false);  // a window the program disabled itself stays disabled
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&poll] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll.stop();
    QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
  });
  poll.start(10);
  EXPECT_EQ(ui::MessageBoxShow(u"", u"short", ui::kMessageYesNo | ui::kMessageIconQuestion, main_window),
            ui::kAnswerNo);
  EXPECT_FALSE(main_window->isEnabled());
  main_window->setEnabled(true);
}

TEST_F(QtControlsTest, WidgetWithoutIdPostsNothing) {
  QPushButton* b = static_cast<QPushButton*>(ui::QtControl(3));
  b->setProperty("VX_ID", QVariant::fromValue<qlonglong>(-1));
  QTest::mouseClick(b, Qt::LeftButton);
  QPushButton stranger(ui::QtWindow(0));
  ui::PostWidgetEvent(&stranger, 0);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

}  // namespace
