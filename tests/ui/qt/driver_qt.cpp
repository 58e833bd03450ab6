// The test driver over Qt: QTest input on the offscreen platform, and the Qt widgets behind the
// numbers for what the tests inspect.
#include "tests/ui/driver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QWindow>

#include <algorithm>
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

// The Qt key of each Key, in the enum's order.
constexpr Qt::Key kQtKeys[] = {Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Space, Qt::Key_Up,
                               Qt::Key_Down, Qt::Key_Left,    Qt::Key_Right,  Qt::Key_Escape};

void SendKey(QWidget* target, Key key) {
  if (target == nullptr) return;
  QTest::keyClick(target, kQtKeys[static_cast<int>(key)], key == Key::ShiftTab ? Qt::ShiftModifier : Qt::NoModifier);
}

QTreeWidget* Tree(int64_t widget) { return qobject_cast<QTreeWidget*>(ui::QtControl(widget)); }

// A tree's items by pre-order position, and the other way round (-1: not in the tree).
QTreeWidgetItem* TreeItemOf(int64_t widget, int64_t item) {
  QTreeWidget* tree = Tree(widget);
  if (tree == nullptr) return nullptr;
  int64_t position = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it, ++position) {
    if (position == item) return *it;
  }
  return nullptr;
}

int64_t PositionOf(QTreeWidget* tree, const QTreeWidgetItem* item) {
  int64_t position = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it, ++position) {
    if (*it == item) return position;
  }
  return -1;
}

// What `read` gives for the tree item at a pre-order position, `none` without one.
template <class Result, class Read>
Result OnItem(int64_t widget, int64_t item, Result none, Read read) {
  const QTreeWidgetItem* i = TreeItemOf(widget, item);
  return i != nullptr ? read(i) : none;
}

QDialog* DrivePrompt(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr ? w->findChild<QDialog*>(QStringLiteral("VX_DriveNotReady")) : nullptr;
}

QTableWidget* Table(int64_t widget) { return qobject_cast<QTableWidget*>(ui::QtControl(widget)); }

// What `read` gives for a window's or a control's Qt widget, `none` without one.
template <class Result, class Read>
Result OnWindow(int64_t window, Result none, Read read) {
  QWidget* w = ui::QtWindow(window);
  return w != nullptr ? read(w) : none;
}

template <class Result, class Read>
Result OnControl(int64_t widget, Result none, Read read) {
  QWidget* c = ui::QtControl(widget);
  return c != nullptr ? read(c) : none;
}

bool WindowIs(int64_t window, bool (QWidget::*test)() const) {
  return OnWindow(window, false, [test](QWidget* w) { return (w->*test)(); });
}
void ActOnWindow(int64_t window, void (QWidget::*act)()) {
  if (QWidget* w = ui::QtWindow(window)) (w->*act)();
}

void ClickOn(QWidget* target, ui::Point at, Mouse button, bool twice, Qt::KeyboardModifiers keys = {}) {
  if (target == nullptr) return;
  if (twice) return QTest::mouseDClick(target, ButtonOf(button), keys, QPoint(at.x, at.y));
  QTest::mouseClick(target, ButtonOf(button), keys, QPoint(at.x, at.y));
}

// The index of a row, or of a tree item, at a pre-order position over the model's rows.
QModelIndex IndexAt(const QAbstractItemModel* model, const QModelIndex& parent, int64_t& left) {
  for (int row = 0; row < model->rowCount(parent); ++row) {
    const QModelIndex i = model->index(row, 0, parent);
    if (left-- == 0) return i;
    const QModelIndex found = IndexAt(model, i, left);
    if (found.isValid()) return found;
  }
  return QModelIndex();
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
  if (QWidget* c = ui::QtControl(widget)) QTest::mouseClick(c, ButtonOf(button), {}, c->rect().center());
}

void ClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(InputTarget(widget), at, button, false); }
void DoubleClickAt(int64_t widget, ui::Point at, Mouse button) { ClickOn(InputTarget(widget), at, button, true); }
void ControlClickAt(int64_t widget, ui::Point at) {
  ClickOn(InputTarget(widget), at, Mouse::Left, false, Qt::ControlModifier);
}

void DragAt(int64_t widget, ui::Point from, ui::Point to) {
  QWidget* t = InputTarget(widget);
  if (t == nullptr) return;
  QTest::mousePress(t, Qt::LeftButton, {}, QPoint(from.x, from.y));
  QTest::mouseMove(t, QPoint(to.x, to.y));
  QTest::mouseRelease(t, Qt::LeftButton, {}, QPoint(to.x, to.y));
}

int32_t DragDistance() { return QApplication::startDragDistance(); }

void ClickColumnHeader(int64_t widget, int64_t column) {
  QTableWidget* table = Table(widget);
  if (table == nullptr) return;
  QHeaderView* header = table->horizontalHeader();
  const int c = static_cast<int>(column);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2));
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

void MaximizeWindow(int64_t window) { ActOnWindow(window, &QWidget::showMaximized); }
void MinimizeWindow(int64_t window) { ActOnWindow(window, &QWidget::showMinimized); }
void RestoreWindow(int64_t window) { ActOnWindow(window, &QWidget::showNormal); }
void GrowWindow(int64_t window, int32_t wider) {
  if (QWidget* w = ui::QtWindow(window)) w->resize(w->width() + wider, w->height());
}

void ResizeWindow(int64_t window, ui::Size size) {
  if (QWidget* w = ui::QtWindow(window)) w->resize(size.width, size.height);  // Qt holds the minimum
  QCoreApplication::processEvents();
}

void DropPaths(int64_t window, const std::vector<std::string>& paths) {
  QWidget* w = ui::QtWindow(window);
  if (w == nullptr) return;
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& path : paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
  data.setUrls(urls);
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &drop);
}

bool ActivateWindow(int64_t window) {
  ActOnWindow(window, &QWidget::activateWindow);
  return OnWindow(window, false, [](QWidget* w) { return QTest::qWaitForWindowActive(w); });
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
  return OnWindow(window, false, [](QWidget* w) { return QTest::qWaitForWindowExposed(w); });
}

void RunSoon(std::function<void()> task) { QTimer::singleShot(0, std::move(task)); }
bool SaveWindowPicture(int64_t window, const std::string& path) {
  return OnWindow(window, false, [&path](QWidget* w) { return w->grab().save(QString::fromStdString(path), "PNG"); });
}

int64_t ShownInkPixels(int64_t widget) {
  return OnControl(widget, int64_t{0}, [](QWidget* c) {
    auto* area = qobject_cast<QAbstractScrollArea*>(c);
    QWidget* content = area != nullptr ? area->viewport() : c;
    const QRect r(content->mapTo(c->window(), QPoint(0, 0)), content->size());
    const QImage shown = c->screen()->grabWindow(c->window()->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
    int64_t ink = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) ink += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
    return ink;
  });
}

void AnswerNextMessageBox(int32_t answer, SeenMessage* seen) {
  QTimer::singleShot(20, [answer, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return AnswerNextMessageBox(answer, seen);
    seen->title = ui::TextFromQString(box->windowTitle());
    seen->text = ui::TextFromQString(box->text());
    ++seen->count;
    seen->others_enabled = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w != box && w->isVisible() && w->isEnabled()) seen->others_enabled = true;
    }
    const QMessageBox::StandardButton which = answer == ui::kAnswerCancel ? QMessageBox::Cancel
                                              : answer == ui::kAnswerYes  ? QMessageBox::Yes
                                              : answer == ui::kAnswerNo   ? QMessageBox::No
                                                                          : QMessageBox::Ok;
    if (QAbstractButton* b = box->button(which)) b->click();
  });
}

ui::Rect ControlGeometry(int64_t widget) {
  return OnControl(widget, ui::Rect{}, [](QWidget* c) { return RectOf(c->geometry()); });
}
ui::Size WindowClientSize(int64_t window) {
  return OnWindow(window, ui::Size{}, [](QWidget* w) { return ui::Size{w->width(), w->height()}; });
}
ui::Rect WindowFrame(int64_t window) {
  return OnWindow(window, ui::Rect{}, [](QWidget* w) { return RectOf(w->frameGeometry()); });
}
ui::Rect PrimaryScreen() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? RectOf(s->geometry()) : ui::Rect{};
}

ui::Rect AvailableArea(int64_t window) {
  return OnWindow(window, ui::Rect{}, [](QWidget* w) {
    QScreen* s = w->screen() != nullptr ? w->screen() : QGuiApplication::primaryScreen();
    return RectOf(s->availableGeometry());
  });
}

CellView ShownCell(int64_t widget, int64_t row, int64_t column) {
  QTableWidget* table = Table(widget);
  const QTableWidgetItem* item =
      table != nullptr ? table->item(static_cast<int>(row), static_cast<int>(column)) : nullptr;
  if (item == nullptr) return CellView{};
  const QRect cell = table->visualItemRect(item);
  // The item delegate's margins around a text.
  const int margins = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
  CellView view;
  view.cell = RectOf(cell);
  view.visible_width = table->viewport()->width();
  view.whole = table->fontMetrics().horizontalAdvance(item->text()) + margins <= cell.width();
  view.right_aligned = (item->textAlignment() & Qt::AlignRight) != 0;
  return view;
}

bool SelectionShownWithoutFocus(int64_t widget) {
  return OnControl(widget, false, [](QWidget* c) {
    const QPalette& p = c->palette();
    return p.color(QPalette::Inactive, QPalette::Highlight) != p.color(QPalette::Inactive, QPalette::Base);
  });
}

bool WindowHasOwnIcon(int64_t window) {
  return OnWindow(window, false, [](QWidget* w) { return !w->windowIcon().isNull(); });
}

bool WindowVisible(int64_t window) { return WindowIs(window, &QWidget::isVisible); }
bool WindowMaximized(int64_t window) { return WindowIs(window, &QWidget::isMaximized); }
bool WindowMinimized(int64_t window) { return WindowIs(window, &QWidget::isMinimized); }

WindowDecorations DecorationsOf(int64_t window) {
  QWidget* w = ui::QtWindow(window);
  if (w == nullptr) return WindowDecorations{};
  const Qt::WindowFlags f = w->windowFlags();
  return WindowDecorations{(f & Qt::WindowTitleHint) != 0,          (f & Qt::WindowCloseButtonHint) != 0,
                           (f & Qt::WindowMinimizeButtonHint) != 0, (f & Qt::WindowMaximizeButtonHint) != 0,
                           w->minimumSize() != w->maximumSize(),    (f & Qt::WindowType_Mask) == Qt::Tool};
}

bool WindowEnabled(int64_t window) { return WindowIs(window, &QWidget::isEnabled); }
bool WidgetEnabled(int64_t widget) {
  return OnControl(widget, false, [](QWidget* c) { return c->isEnabled(); });
}

runtime::Text WindowTitle(int64_t window) {
  return OnWindow(window, runtime::Text(), [](QWidget* w) { return ui::TextFromQString(w->windowTitle()); });
}

int64_t FocusedWidget() {
  for (QWidget* f = QApplication::focusWidget(); f != nullptr && !f->isWindow(); f = f->parentWidget()) {
    const QVariant id = f->property("VX_ID");
    if (id.isValid()) return id.toLongLong();
  }
  return -1;
}

ui::Rect ItemRect(int64_t widget, int64_t item) {
  auto* view = qobject_cast<QAbstractItemView*>(ui::QtControl(widget));
  const QModelIndex i = view != nullptr ? IndexAt(view->model(), QModelIndex(), item) : QModelIndex();
  return i.isValid() ? RectOf(view->visualRect(i)) : ui::Rect{};
}

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  auto* view = qobject_cast<QAbstractItemView*>(ui::QtControl(widget));
  const QModelIndex i = view != nullptr ? IndexAt(view->model(), QModelIndex(), item) : QModelIndex();
  return i.isValid() ? ui::TextFromQString(i.data().toString()) : runtime::Text();
}

void ScrollToItem(int64_t widget, int64_t item) {
  auto* view = qobject_cast<QAbstractItemView*>(ui::QtControl(widget));
  const QModelIndex i = view != nullptr ? IndexAt(view->model(), QModelIndex(), item) : QModelIndex();
  if (!i.isValid()) return;
  view->scrollTo(i);
  QCoreApplication::processEvents();  // let the view lay out what it shows now
}

void ExpandItem(int64_t widget, int64_t item) {
  if (QTreeWidgetItem* i = TreeItemOf(widget, item)) i->setExpanded(true);
  ScrollToItem(widget, item);
}

int64_t ColumnTotal(int64_t widget) {
  auto* view = qobject_cast<QAbstractItemView*>(ui::QtControl(widget));
  return view != nullptr && view->model() != nullptr ? view->model()->columnCount() : 0;
}

runtime::Text ColumnTitle(int64_t widget, int64_t column) {
  QTableWidget* table = Table(widget);
  QTableWidgetItem* h = table != nullptr ? table->horizontalHeaderItem(static_cast<int>(column)) : nullptr;
  return h != nullptr ? ui::TextFromQString(h->text()) : runtime::Text();
}

int64_t ChildCount(int64_t widget, int64_t item) {
  return OnItem(widget, item, 0, [](const QTreeWidgetItem* i) { return i->childCount(); });
}

int64_t ChildAt(int64_t widget, int64_t item, int64_t index) {
  QTreeWidgetItem* child = OnItem<QTreeWidgetItem*>(widget, item, nullptr, [index](const QTreeWidgetItem* i) {
    return index >= 0 ? i->child(static_cast<int>(index)) : nullptr;
  });
  return child != nullptr ? PositionOf(Tree(widget), child) : -1;
}

bool ItemExpanded(int64_t widget, int64_t item) {
  return OnItem(widget, item, false, [](const QTreeWidgetItem* i) { return i->isExpanded(); });
}

bool ItemHasExpandButton(int64_t widget, int64_t item) {
  return OnItem(widget, item, false, [](const QTreeWidgetItem* i) {
    return i->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || i->childCount() > 0;
  });
}

uint32_t ItemTag(int64_t widget, int64_t item) {
  return OnItem(widget, item, 0u, [](const QTreeWidgetItem* i) { return i->data(0, Qt::UserRole).toUInt(); });
}

std::vector<int64_t> SelectedItems(int64_t widget) {
  std::vector<int64_t> out;
  QWidget* c = ui::QtControl(widget);
  if (auto* tree = qobject_cast<QTreeWidget*>(c)) {
    for (QTreeWidgetItem* i : tree->selectedItems()) out.push_back(PositionOf(tree, i));
  } else if (auto* view = qobject_cast<QAbstractItemView*>(c)) {
    for (const QModelIndex& row : view->selectionModel()->selectedRows()) out.push_back(row.row());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<int64_t> DraggedItems(int64_t widget) {
  std::vector<int64_t> out;
  const QVariantList items =
      OnControl(widget, QVariantList(), [](QWidget* c) { return c->property("VX_DragItems").toList(); });
  for (const QVariant& v : items) out.push_back(v.toLongLong());
  return out;
}

bool DrivePromptOpen(int64_t window) { return DrivePrompt(window) != nullptr && DrivePrompt(window)->isVisible(); }

void CancelDrivePrompt(int64_t window) {
  auto* buttons = DrivePrompt(window) != nullptr ? DrivePrompt(window)->findChild<QDialogButtonBox*>() : nullptr;
  if (buttons == nullptr || buttons->button(QDialogButtonBox::Cancel) == nullptr) return;
  buttons->button(QDialogButtonBox::Cancel)->click();
  QCoreApplication::processEvents();
}

}  // namespace ui_driver
