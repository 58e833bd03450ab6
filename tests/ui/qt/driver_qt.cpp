// The test driver over Qt: QTest input on the offscreen platform, and the Qt widgets behind the
// numbers for what the tests inspect.
#include "tests/ui/driver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>

#include <memory>

#include "ui/event_queue.h"
#include "ui/message_box.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui_driver {
namespace {

std::unique_ptr<QApplication> g_application;

Qt::MouseButton ButtonOf(Mouse m) { return m == Mouse::Left ? Qt::LeftButton : Qt::RightButton; }

// Item views take their mouse input on the viewport.
QWidget* InputTarget(int64_t widget) {
  QWidget* c = ui::QtControl(widget);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(c)) return area->viewport();
  return c;
}

ui::Rect RectOf(const QRect& r) { return ui::Rect{r.x(), r.y(), r.width(), r.height()}; }

void SendKey(QWidget* target, Key key) {
  if (target == nullptr) return;
  switch (key) {
    case Key::Tab:
      QTest::keyClick(target, Qt::Key_Tab);
      break;
    case Key::ShiftTab:
      QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
      break;
    case Key::Enter:
      QTest::keyClick(target, Qt::Key_Return);
      break;
    case Key::Space:
      QTest::keyClick(target, Qt::Key_Space);
      break;
  }
}

QTreeWidgetItem* TreeItem(QTreeWidget* tree, int64_t item) {
  int64_t position = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it, ++position) {
    if (position == item) return *it;
  }
  return nullptr;
}

}  // namespace

bool StartForTests(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (QCoreApplication::instance() == nullptr) g_application = std::make_unique<QApplication>(argc, argv);
  return ui::InitEvents() && ui::InitWindows() && ui::InitWidgets();
}

void StopForTests() {
  ui::ShutdownWidgets();
  ui::ShutdownWindows();
  ui::ShutdownEvents();
  g_application.reset();
}

void Click(int64_t widget, Mouse button) {
  QWidget* c = ui::QtControl(widget);
  if (c != nullptr) QTest::mouseClick(c, ButtonOf(button), {}, c->rect().center());
}

void ClickAt(int64_t widget, ui::Point at, Mouse button) {
  if (QWidget* t = InputTarget(widget)) QTest::mouseClick(t, ButtonOf(button), {}, QPoint(at.x, at.y));
}

void DoubleClickAt(int64_t widget, ui::Point at, Mouse button) {
  if (QWidget* t = InputTarget(widget)) QTest::mouseDClick(t, ButtonOf(button), {}, QPoint(at.x, at.y));
}

void ClickWindowAt(int64_t window, ui::Point at, Mouse button) {
  if (QWidget* w = ui::QtWindow(window)) QTest::mouseClick(w, ButtonOf(button), {}, QPoint(at.x, at.y));
}

void DoubleClickWindowAt(int64_t window, ui::Point at, Mouse button) {
  if (QWidget* w = ui::QtWindow(window)) QTest::mouseDClick(w, ButtonOf(button), {}, QPoint(at.x, at.y));
}

void PressKey(int64_t window, Key key) {
  QWidget* w = ui::QtWindow(window);
  if (w == nullptr) return;
  QWidget* f = QApplication::focusWidget();
  SendKey(f != nullptr && f->window() == w ? f : w, key);
}

void PressKeyOn(int64_t widget, Key key) { SendKey(ui::QtControl(widget), key); }

void RequestClose(int64_t window) {
  // QWindow::close() takes the window system's road: the same request as the close box.
  QWidget* w = ui::QtWindow(window);
  if (w != nullptr && w->windowHandle() != nullptr) w->windowHandle()->close();
}

void MaximizeWindow(int64_t window) {
  if (QWidget* w = ui::QtWindow(window)) w->showMaximized();
}

void MinimizeWindow(int64_t window) {
  if (QWidget* w = ui::QtWindow(window)) w->showMinimized();
}

void RestoreWindow(int64_t window) {
  if (QWidget* w = ui::QtWindow(window)) w->showNormal();
}

void MoveWindow(int64_t window, ui::Point frame_corner) {
  if (QWidget* w = ui::QtWindow(window)) w->move(frame_corner.x, frame_corner.y);
}

void GrowWindow(int64_t window, int32_t wider) {
  if (QWidget* w = ui::QtWindow(window)) w->resize(w->width() + wider, w->height());
}

bool ActivateWindow(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  if (w == nullptr) return false;
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

void FocusWidget(int64_t widget) {
  if (QWidget* c = ui::QtControl(widget)) c->setFocus();
}

void ShowWidget(int64_t widget, bool shown) {
  if (QWidget* c = ui::QtControl(widget)) c->setVisible(shown);
}

void EnableWidget(int64_t widget, bool enabled) {
  if (QWidget* c = ui::QtControl(widget)) c->setEnabled(enabled);
}

void Process(int ms) {
  QCoreApplication::processEvents();
  if (ms > 0) QTest::qWait(ms);
}

bool WaitUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 5000) QTest::qWait(10);
  return done();
}

bool WaitForWindowShown(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && QTest::qWaitForWindowExposed(w);
}

void RunSoon(std::function<void()> task) { QTimer::singleShot(0, std::move(task)); }

void AnswerNextMessageBox(int32_t answer, SeenMessage* seen) {
  QTimer::singleShot(20, [answer, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return AnswerNextMessageBox(answer, seen);
    seen->title = ui::TextFromQString(box->windowTitle());
    seen->text = ui::TextFromQString(box->text());
    ++seen->count;
    const QMessageBox::StandardButton which = answer == ui::kAnswerCancel ? QMessageBox::Cancel
                                              : answer == ui::kAnswerYes  ? QMessageBox::Yes
                                              : answer == ui::kAnswerNo   ? QMessageBox::No
                                                                          : QMessageBox::Ok;
    if (QAbstractButton* b = box->button(which)) b->click();
  });
}

ui::Rect ControlGeometry(int64_t widget) {
  QWidget* c = ui::QtControl(widget);
  return c != nullptr ? RectOf(c->geometry()) : ui::Rect{};
}

ui::Size WindowClientSize(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr ? ui::Size{w->width(), w->height()} : ui::Size{};
}

ui::Rect WindowFrame(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr ? RectOf(w->frameGeometry()) : ui::Rect{};
}

ui::Rect ScreenArea(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->screen() != nullptr ? RectOf(w->screen()->availableGeometry()) : ui::Rect{};
}

ui::Rect PrimaryScreen() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? RectOf(s->geometry()) : ui::Rect{};
}

bool WindowVisible(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->isVisible();
}

bool WindowActive(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->isActiveWindow();
}

bool WindowMaximized(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->isMaximized();
}

bool WindowMinimized(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->isMinimized();
}

bool WindowResizable(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->minimumSize() != w->maximumSize();
}

bool WindowPlacedByProgram(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr && w->testAttribute(Qt::WA_Moved);
}

runtime::Text WindowTitle(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr ? ui::TextFromQString(w->windowTitle()) : runtime::Text();
}

int64_t FocusedWidget() {
  for (QWidget* f = QApplication::focusWidget(); f != nullptr && !f->isWindow(); f = f->parentWidget()) {
    const QVariant id = f->property("VX_ID");
    if (id.isValid()) return id.toLongLong();
  }
  return -1;
}

ui::Rect ItemRect(int64_t widget, int64_t item) {
  QWidget* c = ui::QtControl(widget);
  if (auto* list = qobject_cast<QListWidget*>(c)) {
    QListWidgetItem* i = list->item(static_cast<int>(item));
    return i != nullptr ? RectOf(list->visualItemRect(i)) : ui::Rect{};
  }
  if (auto* table = qobject_cast<QTableWidget*>(c)) {
    QTableWidgetItem* i = table->item(static_cast<int>(item), 0);
    return i != nullptr ? RectOf(table->visualItemRect(i)) : ui::Rect{};
  }
  if (auto* tree = qobject_cast<QTreeWidget*>(c)) {
    QTreeWidgetItem* i = TreeItem(tree, item);
    return i != nullptr ? RectOf(tree->visualItemRect(i)) : ui::Rect{};
  }
  return ui::Rect{};
}

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  QWidget* c = ui::QtControl(widget);
  if (auto* list = qobject_cast<QListWidget*>(c)) {
    QListWidgetItem* i = list->item(static_cast<int>(item));
    return i != nullptr ? ui::TextFromQString(i->text()) : runtime::Text();
  }
  if (auto* table = qobject_cast<QTableWidget*>(c)) {
    QTableWidgetItem* i = table->item(static_cast<int>(item), 0);
    return i != nullptr ? ui::TextFromQString(i->text()) : runtime::Text();
  }
  if (auto* tree = qobject_cast<QTreeWidget*>(c)) {
    QTreeWidgetItem* i = TreeItem(tree, item);
    return i != nullptr ? ui::TextFromQString(i->text(0)) : runtime::Text();
  }
  return runtime::Text();
}

void ExpandItem(int64_t widget, int64_t item) {
  auto* tree = qobject_cast<QTreeWidget*>(ui::QtControl(widget));
  QTreeWidgetItem* i = tree != nullptr ? TreeItem(tree, item) : nullptr;
  if (i == nullptr) return;
  i->setExpanded(true);
  tree->scrollToItem(i);
  QCoreApplication::processEvents();  // let the view lay out the expanded items
}

}  // namespace ui_driver
