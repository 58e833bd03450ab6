#include "ui/column_list.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVariantList>

#include <algorithm>
#include <cstdlib>

#include "ui/event_queue.h"
#include "ui/layout.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

namespace {

using runtime::Text;
using runtime::TextView;

// The record's kind words.
constexpr int kWordLongest = 0;     // longest column text added since creation or the last clear
constexpr int kWordGridColour = 1;  // -1 = the button face colour
constexpr int kWordFlags = 2;       // kFlag... below
constexpr int kWordTextColour = 3;
constexpr int kWordBackColour = 4;
constexpr int kWordAlive = 5;  // 1 until the control starts going away

constexpr int64_t kFlagTextColour = 1;
constexpr int64_t kFlagBackColour = 2;
constexpr int64_t kFlagGridLines = 4;
constexpr int64_t kFlagThreeState = 8 | 16;

constexpr int kDataRole = Qt::UserRole;            // a row's data value, on its vertical header item
constexpr int kCellColourRole = Qt::UserRole + 1;  // a cell's colour value, on the cell

QColor ColourFromValue(int64_t value) {
  return QColor(static_cast<int>(value & 0xff), static_cast<int>((value >> 8) & 0xff),
                static_cast<int>((value >> 16) & 0xff));
}

// The list control: a table in report form that draws its own grid lines over what it painted.
class ColumnListControl : public QTableWidget {
 public:
  explicit ColumnListControl(QWidget* parent) : QTableWidget(parent) {}
  ~ColumnListControl() override {
    if (record) record->kind_words[kWordAlive] = 0;
  }

  WidgetRecord* record = nullptr;
  // Context of the control's own signal connections: they end with this part of the control.
  QObject connections;

  bool check_boxes = false;
  bool three_state = false;
  bool grid_lines = false;
  int64_t grid_colour = -1;
  // Drag detection.
  bool left_down = false;
  bool dragging = false;
  QPoint press_at;
  int press_row = -1;
  // Per column: its kColumn... style, and what its widest text (title included) takes.
  std::vector<uint32_t> styles;
  std::vector<int> text_widths;

  uint32_t StyleOf(int column) const {
    return column >= 0 && column < static_cast<int>(styles.size()) ? styles[static_cast<size_t>(column)] : 0;
  }

  Qt::Alignment AlignmentOf(int column) const {
    return ((StyleOf(column) & kColumnAlignRight) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
  }

  // The pixels a cell's text takes, with the margins the item delegate draws around it.
  int CellWidth(const QString& text) const {
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(text) + 2 * margin + 2;
  }

  void NoteText(int column, const QString& text) {
    if (column < 0 || column >= static_cast<int>(text_widths.size())) return;
    int& widest = text_widths[static_cast<size_t>(column)];
    widest = std::max(widest, CellWidth(text));
  }

  // Lays the columns over the visible width when any column fits its texts or fills the list.
  void FitColumns() {
    // Between a column's insertion or removal and its bookkeeping there is nothing to fit yet.
    if (static_cast<int>(text_widths.size()) != columnCount()) return;
    bool fitting = false;
    std::vector<ColumnNeed> needs;
    for (int c = 0; c < columnCount(); ++c) {
      const uint32_t style = StyleOf(c);
      ColumnNeed need;
      need.width = columnWidth(c);
      need.fits_texts = (style & kColumnFitsTexts) != 0;
      need.fills = (style & kColumnFillsList) != 0;
      need.texts = std::max(text_widths[static_cast<size_t>(c)], horizontalHeader()->sectionSizeHint(c));
      fitting = fitting || need.fits_texts || need.fills;
      needs.push_back(need);
    }
    if (!fitting || fitting_now_) return;
    // New widths may bring a scroll bar and so change the visible width: fit that once more, no further.
    fitting_now_ = true;
    for (int pass = 0; pass < 2; ++pass) {
      const std::vector<int32_t> widths = FitColumnWidths(viewport()->width(), needs);
      bool changed = false;
      for (int c = 0; c < columnCount(); ++c) {
        if (columnWidth(c) == widths[static_cast<size_t>(c)]) continue;
        setColumnWidth(c, widths[static_cast<size_t>(c)]);
        changed = true;
      }
      if (!changed) break;
    }
    fitting_now_ = false;
  }

 protected:
  bool fitting_now_ = false;

  void paintEvent(QPaintEvent* event) override {
    QTableWidget::paintEvent(event);
    if (!grid_lines) return;
    QPainter painter(viewport());
    painter.setPen(grid_colour < 0 ? palette().color(QPalette::Button) : ColourFromValue(grid_colour));
    const int width = viewport()->width(), height = viewport()->height();
    for (int c = 0; c < columnCount(); ++c) {
      const int x = columnViewportPosition(c) + columnWidth(c) - 1;
      if (x >= 0 && x < width) painter.drawLine(x, 0, x, height);
    }
    for (int row = 0; row < rowCount(); ++row) {
      const int y = rowViewportPosition(row) + rowHeight(row) - 1;
      if (y >= height) break;
      if (y >= 0) painter.drawLine(0, y, width, y);
    }
  }
};

// Elides each column's texts where its style says.
class ColumnDelegate : public QStyledItemDelegate {
 public:
  explicit ColumnDelegate(ColumnListControl* list) : QStyledItemDelegate(list), list_(list) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = (list_->StyleOf(index.column()) & kColumnElideMiddle) ? Qt::ElideMiddle : Qt::ElideRight;
  }

 private:
  ColumnListControl* list_;
};

ColumnListControl* ControlOf(WidgetRecord* w) { return static_cast<ColumnListControl*>(w->control); }

bool RowExists(const ColumnListControl* list, int64_t row) { return row >= 0 && row < list->rowCount(); }
bool ColumnExists(const ColumnListControl* list, int64_t column) { return column >= 0 && column < list->columnCount(); }

int FirstSelectedRow(const ColumnListControl* list) {
  int first = -1;
  for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

QTableWidgetItem* MakeCell(const ColumnListControl* list, int column, TextView text) {
  auto* cell = new QTableWidgetItem(QStringFromText(text));
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (column == 0 && list->check_boxes) {
    flags |= Qt::ItemIsUserCheckable;
    if (list->three_state) flags |= Qt::ItemIsUserTristate;
    cell->setCheckState(Qt::Unchecked);
  }
  cell->setFlags(flags);
  return cell;
}

// Sets one cell's text, keeping the cell (and its check box and colour) when it exists.
void SetCellText(ColumnListControl* list, int row, int column, TextView text) {
  list->NoteText(column, QStringFromText(text));
  QTableWidgetItem* cell = list->item(row, column);
  if (cell != nullptr) {
    cell->setText(QStringFromText(text));
  } else {
    cell = MakeCell(list, column, text);
    list->setItem(row, column, cell);
  }
  cell->setTextAlignment(list->AlignmentOf(column));
}

void SetRowTexts(WidgetRecord* w, int row, TextView text) {
  ColumnListControl* list = ControlOf(w);
  const std::vector<Text> pieces = SplitColumnTexts(text);
  for (size_t c = 0; c < pieces.size(); ++c) {
    w->kind_words[kWordLongest] = std::max<int64_t>(w->kind_words[kWordLongest], runtime::TextLength(pieces[c]));
    if (static_cast<int64_t>(c) < list->columnCount()) SetCellText(list, row, static_cast<int>(c), pieces[c]);
  }
}

// When nothing is selected any more although a row was reported as selected, that change is reported
// now, once.
void DeselectionCheck(ColumnListControl* list) {
  if (FirstSelectedRow(list) >= 0) return;
  const QVariant last = list->property("VX_LastSelected");
  if (!last.isValid() || last.toLongLong() == -1) return;
  list->setProperty("VX_LastSelected", QVariant::fromValue(qlonglong{-1}));
  PostWidgetEvent(list, WidgetEventChange);
}

// A press beside the rows lets go of every row, as the press itself: the loss and the deselection check
// give the same change event, which the queue keeps once, and the release that follows finds nothing left
// to report.
void LetGoOfRows(ColumnListControl* list) {
  list->clearSelection();
  DeselectionCheck(list);
}

void RememberLeftPress(ColumnListControl* list, const QMouseEvent* e) {
  list->left_down = true;
  list->dragging = false;
  list->press_at = e->position().toPoint();
  list->press_row = list->rowAt(list->press_at.y());
}

// Kind operations.

int64_t ListNotify(WidgetRecord* w, void* target_object, void* qt_event) {
  auto* target = static_cast<QObject*>(target_object);
  auto* event = static_cast<QEvent*>(qt_event);
  if (w->kind_words[kWordAlive] == 0) return kNotHandled;
  ColumnListControl* list = ControlOf(w);
  if (target != list->viewport()) return kNotHandled;
  switch (event->type()) {
    case QEvent::Resize:
      list->FitColumns();
      // The view lays its scroll bars out later, which may narrow the visible width once more.
      QMetaObject::invokeMethod(
          &list->connections, [list] { list->FitColumns(); }, Qt::QueuedConnection);
      return kNotHandled;
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton) return kNotHandled;
      RememberLeftPress(list, e);
      const bool beside_rows = !list->indexAt(list->press_at).isValid();
      if (beside_rows && !(e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) LetGoOfRows(list);
      return kNotHandled;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (list->dragging) return 1;
      if (!list->left_down || list->press_row < 0 || !(e->buttons() & Qt::LeftButton)) return kNotHandled;
      const QPoint moved = e->position().toPoint() - list->press_at;
      const int distance = QApplication::startDragDistance();
      if (std::abs(moved.x()) <= distance && std::abs(moved.y()) <= distance) return kNotHandled;
      list->dragging = true;
      QVariantList rows;
      QList<int> selected;
      for (const QModelIndex& index : list->selectionModel()->selectedRows()) selected.append(index.row());
      std::sort(selected.begin(), selected.end());
      for (int row : selected) rows.append(QVariant::fromValue(qlonglong{row}));
      list->setProperty("VX_DragItems", rows);
      PostWidgetEvent(list, WidgetEventDragStart);
      return 1;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) {
        const bool dragged = list->dragging;
        list->left_down = false;
        list->dragging = false;
        list->press_row = -1;
        DeselectionCheck(list);
        if (FirstSelectedRow(list) >= 0) PostWidgetEvent(list, WidgetEventLeftClick);
        return dragged ? 1 : kNotHandled;
      }
      if (e->button() == Qt::RightButton) {
        DeselectionCheck(list);
        PostWidgetEvent(list, WidgetEventRightClick);
      }
      return kNotHandled;
    }
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) {
        RememberLeftPress(list, e);  // a double-click's second press may start a drag too
        PostWidgetEvent(list, WidgetEventDoubleClick);
      } else if (e->button() == Qt::RightButton) {
        PostWidgetEvent(list, WidgetEventRightDoubleClick);
      }
      return kNotHandled;
    }
    default: return kNotHandled;
  }
}

int64_t ListGetState(WidgetRecord* w) { return FirstSelectedRow(ControlOf(w)); }

void ListSetState(WidgetRecord* w, int64_t state) {
  ColumnListControl* list = ControlOf(w);
  list->clearSelection();
  if (RowExists(list, state)) list->selectRow(static_cast<int>(state));
}

Text ListGetText(WidgetRecord* w) {
  ColumnListControl* list = ControlOf(w);
  const int row = FirstSelectedRow(list);
  const QTableWidgetItem* cell = row >= 0 ? list->item(row, 0) : nullptr;
  return cell ? TextFromQString(cell->text()) : Text();
}

void ListSetText(WidgetRecord* w, TextView text) {
  const int row = FirstSelectedRow(ControlOf(w));
  if (row >= 0) SetRowTexts(w, row, text);
}

int64_t ListAddItem(WidgetRecord* w, int64_t position, TextView text, int64_t /*image*/) {
  ColumnListControl* list = ControlOf(w);
  const int count = list->rowCount();
  const int row = (position < 0 || position > count) ? count : static_cast<int>(position);
  list->insertRow(row);
  // Column 0 always gets a cell: it carries the check box and the row's selection.
  list->setItem(row, 0, MakeCell(list, 0, u""));
  SetRowTexts(w, row, text);
  list->FitColumns();
  return 0;
}

int64_t ListRemoveItem(WidgetRecord* w, int64_t item) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item)) return 0;
  list->removeRow(static_cast<int>(item));
  return 1;
}

void ListClearItems(WidgetRecord* w) {
  ColumnListControl* list = ControlOf(w);
  list->setRowCount(0);
  std::fill(list->text_widths.begin(), list->text_widths.end(), 0);
  list->FitColumns();
  w->kind_words[kWordLongest] = 0;
}

int64_t ListCountItems(WidgetRecord* w) { return ControlOf(w)->rowCount(); }

int64_t ListGetItemState(WidgetRecord* w, int64_t item) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item)) return 0;
  int64_t state = 0;
  if (list->selectionModel()->isRowSelected(static_cast<int>(item), QModelIndex())) state |= kListItemSelected;
  if (const QTableWidgetItem* cell = list->item(static_cast<int>(item), 0);
      cell && (cell->flags() & Qt::ItemIsUserCheckable)) {
    if (cell->checkState() == Qt::Checked) state |= kListItemChecked;
    if (cell->checkState() == Qt::PartiallyChecked) state |= kListItemPartlyChecked;
  }
  return state;
}

void ListSetItemState(WidgetRecord* w, int64_t item, int64_t state) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item)) return;
  const int row = static_cast<int>(item);
  const QModelIndex index = list->model()->index(row, 0);
  const bool single = list->selectionMode() == QAbstractItemView::SingleSelection;
  if (state & kListItemSelected) {
    list->selectionModel()->select(index, (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                              QItemSelectionModel::Rows);
  } else {
    list->selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  }
  if (QTableWidgetItem* cell = list->item(row, 0); cell && (cell->flags() & Qt::ItemIsUserCheckable)) {
    cell->setCheckState((state & kListItemChecked)                              ? Qt::Checked
                        : (state & kListItemPartlyChecked) && list->three_state ? Qt::PartiallyChecked
                                                                                : Qt::Unchecked);
  }
}

Text ListGetItemText(WidgetRecord* w, int64_t item, int64_t column) {
  ColumnListControl* list = ControlOf(w);
  if (!ColumnExists(list, column)) return Text();
  if (item == -1) {
    const QTableWidgetItem* title = list->horizontalHeaderItem(static_cast<int>(column));
    return title ? TextFromQString(title->text()) : Text();
  }
  if (!RowExists(list, item)) return Text();
  const QTableWidgetItem* cell = list->item(static_cast<int>(item), static_cast<int>(column));
  return cell ? TextFromQString(cell->text()) : Text();
}

void ListSetItemText(WidgetRecord* w, int64_t item, TextView text, int64_t column) {
  ColumnListControl* list = ControlOf(w);
  if (!ColumnExists(list, column)) return;
  if (item == -1) {
    list->setHorizontalHeaderItem(static_cast<int>(column), new QTableWidgetItem(QStringFromText(text)));
    return;
  }
  if (!RowExists(list, item)) return;
  w->kind_words[kWordLongest] = std::max<int64_t>(w->kind_words[kWordLongest], runtime::TextLength(text));
  SetCellText(list, static_cast<int>(item), static_cast<int>(column), text);
}

int64_t ListAddColumn(WidgetRecord* w, int64_t position, TextView title, int64_t width) {
  ColumnListControl* list = ControlOf(w);
  if (position < 0) return 0;
  // Cells move with their columns, so the texts of every row stay under their titles and a new first
  // column starts empty.
  const int column = static_cast<int>(std::min<int64_t>(position, list->columnCount()));
  list->insertColumn(column);
  list->styles.insert(list->styles.begin() + column, 0u);
  list->text_widths.insert(list->text_widths.begin() + column, 0);
  list->setHorizontalHeaderItem(column, new QTableWidgetItem(QStringFromText(title)));
  const int32_t w32 = static_cast<int32_t>(std::clamp<int64_t>(width, 0, INT32_MAX));
  list->setColumnWidth(column, ScaleX(w32));
  list->FitColumns();
  return 0;
}

void ListRemoveColumn(WidgetRecord* w, int64_t column) {
  ColumnListControl* list = ControlOf(w);
  if (!ColumnExists(list, column)) return;
  list->removeColumn(static_cast<int>(column));
  list->styles.erase(list->styles.begin() + column);
  list->text_widths.erase(list->text_widths.begin() + column);
  list->FitColumns();
}

int64_t ListGetAttribute(WidgetRecord* w, int64_t attribute) {
  ColumnListControl* list = ControlOf(w);
  switch (attribute) {
    case kListAttributeView: return 3;
    case kListAttributeColumnCount: return list->columnCount();
    case kListAttributeClickedColumn: {
      const QVariant v = list->property("VX_ClikedColumn");
      return v.isValid() ? v.toLongLong() : -1;
    }
    default: return 0;
  }
}

void ListSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  ColumnListControl* list = ControlOf(w);
  if (colour < 0) colour = -1;
  if (which == kListColourGrid) {
    w->kind_words[kWordGridColour] = colour;
    list->grid_colour = colour;
    list->viewport()->update();
    return;
  }
  if (which != kListColourText && which != kListColourBackground) return;
  const bool text = which == kListColourText;
  const QPalette::ColorRole role = text ? QPalette::Text : QPalette::Base;
  const int64_t flag = text ? kFlagTextColour : kFlagBackColour;
  w->kind_words[text ? kWordTextColour : kWordBackColour] = colour;
  w->kind_words[kWordFlags] = colour < 0 ? (w->kind_words[kWordFlags] & ~flag) : (w->kind_words[kWordFlags] | flag);
  QPalette palette = list->palette();
  const QPalette defaults = QApplication::palette(list);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, role, colour < 0 ? defaults.color(group, role) : ColourFromValue(colour));
  }
  list->setPalette(palette);
}

int64_t ListGetColour(WidgetRecord* w, int64_t which) {
  switch (which) {
    case kListColourText: return (w->kind_words[kWordFlags] & kFlagTextColour) ? w->kind_words[kWordTextColour] : -1;
    case kListColourBackground:
      return (w->kind_words[kWordFlags] & kFlagBackColour) ? w->kind_words[kWordBackColour] : -1;
    case kListColourGrid: return w->kind_words[kWordGridColour];
    default: return 0;
  }
}

// A cell's own text colour; `column` picks the cell of the row.
void ListSetItemColour(WidgetRecord* w, int64_t item, int64_t column, int64_t colour) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item) || !ColumnExists(list, column)) return;
  const int row = static_cast<int>(item), col = static_cast<int>(column);
  if (!list->item(row, col)) list->setItem(row, col, MakeCell(list, col, u""));
  QTableWidgetItem* cell = list->item(row, col);
  if (colour < 0) {
    cell->setData(kCellColourRole, QVariant());
    cell->setData(Qt::ForegroundRole, QVariant());
  } else {
    cell->setData(kCellColourRole, QVariant::fromValue(static_cast<qlonglong>(colour)));
    cell->setForeground(ColourFromValue(colour));
  }
}

int64_t ListGetItemColour(WidgetRecord* w, int64_t item, int64_t column) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item) || !ColumnExists(list, column)) return -1;
  const QTableWidgetItem* cell = list->item(static_cast<int>(item), static_cast<int>(column));
  const QVariant v = cell ? cell->data(kCellColourRole) : QVariant();
  return v.isValid() ? v.toLongLong() : -1;
}

// The row's data rides on its (hidden) row header item, which moves with the row.
void ListSetItemData(WidgetRecord* w, int64_t item, int64_t data) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item)) return;
  const int row = static_cast<int>(item);
  if (!list->verticalHeaderItem(row)) list->setVerticalHeaderItem(row, new QTableWidgetItem);
  list->verticalHeaderItem(row)->setData(kDataRole, QVariant::fromValue(static_cast<qlonglong>(data)));
}

int64_t ListGetItemData(WidgetRecord* w, int64_t item) {
  ColumnListControl* list = ControlOf(w);
  if (!RowExists(list, item)) return 0;
  const QTableWidgetItem* header = list->verticalHeaderItem(static_cast<int>(item));
  return header ? header->data(kDataRole).toLongLong() : 0;
}

const WidgetKindOps* ListOps() {
  static WidgetKindOps ops = [] {
    WidgetKindOps o{};
    o.kind = WidgetKindColumnList;
    o.size = sizeof(WidgetKindOps);
    o.notify = ListNotify;
    o.get_state = ListGetState;
    o.set_state = ListSetState;
    o.get_text = ListGetText;
    o.set_text = ListSetText;
    o.add_item = ListAddItem;
    o.remove_item = ListRemoveItem;
    o.clear_items = ListClearItems;
    o.count_items = ListCountItems;
    o.get_item_state = ListGetItemState;
    o.set_item_state = ListSetItemState;
    o.get_item_text = ListGetItemText;
    o.set_item_text = ListSetItemText;
    o.add_column = ListAddColumn;
    o.remove_column = ListRemoveColumn;
    o.get_attribute = ListGetAttribute;
    o.set_colour = ListSetColour;
    o.get_colour = ListGetColour;
    o.set_item_colour = ListSetItemColour;
    o.get_item_colour = ListGetItemColour;
    o.set_item_data = ListSetItemData;
    o.get_item_data = ListGetItemData;
    return o;
  }();
  return &ops;
}

}  // namespace

std::vector<Text> SplitColumnTexts(TextView text) {
  std::vector<Text> pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u'\n', start);
    if (end == TextView::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

void ColumnListSetColumnStyle(runtime::ObjectNumber number, int64_t column, uint32_t style) {
  WidgetRecord* w = FindWidget(number);
  if (w == nullptr || w->ops != ListOps()) return;
  ColumnListControl* list = ControlOf(w);
  if (!ColumnExists(list, column)) return;
  const int c = static_cast<int>(column);
  list->styles[static_cast<size_t>(column)] = style;
  if (QTableWidgetItem* title = list->horizontalHeaderItem(c)) title->setTextAlignment(list->AlignmentOf(c));
  for (int row = 0; row < list->rowCount(); ++row) {
    QTableWidgetItem* cell = list->item(row, c);
    if (cell != nullptr) cell->setTextAlignment(list->AlignmentOf(c));
    if (cell != nullptr) list->NoteText(c, cell->text());
  }
  // Columns that follow the visible width leave nothing to scroll sideways; a scroll bar coming and
  // going would only change that width again.
  if (style & (kColumnFitsTexts | kColumnFillsList)) list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->viewport()->update();
  list->FitColumns();
}

int64_t ColumnListCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextView first_title, int32_t first_width, uint32_t flags) {
  QWidget* container = QtContainer();
  if (!container || !qApp) return 0;
  WidgetRecord* w = AcquireWidget(number);
  if (!w) return 0;
  const ScaledRect rect = ScaleRect(x, y, width, height);
  auto* list = new ColumnListControl(container);
  list->setGeometry(rect.x, rect.y, rect.width, rect.height);
  list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  list->setFocusPolicy(Qt::StrongFocus);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Flag 4 allows several selected rows; without it one row at a time.
  list->setSelectionMode((flags & kListMultipleSelection) ? QAbstractItemView::ExtendedSelection
                                                          : QAbstractItemView::SingleSelection);
  list->setShowGrid(false);
  list->setWordWrap(false);
  list->setTabKeyNavigation(false);
  list->setCornerButtonEnabled(false);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list->setItemDelegate(new ColumnDelegate(list));
  KeepSelectionShown(list);
  list->verticalHeader()->hide();
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* header = list->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionsMovable(flags & kListReorderColumns);

  list->check_boxes = flags & kListCheckBoxes;
  list->three_state = (flags & (kListCheckBoxes | kListThreeStateChecks)) == (kListCheckBoxes | kListThreeStateChecks);
  list->grid_lines = flags & kListGridLines;
  w->kind_words[kWordLongest] = 0;
  w->kind_words[kWordGridColour] = -1;
  w->kind_words[kWordFlags] = (list->grid_lines ? kFlagGridLines : 0) | (list->three_state ? kFlagThreeState : 0);
  w->kind_words[kWordTextColour] = -1;
  w->kind_words[kWordBackColour] = -1;
  w->kind_words[kWordAlive] = 1;
  list->record = w;

  QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, &list->connections,
                   [list](const QItemSelection& selected, const QItemSelection& deselected) {
                     for (const QItemSelectionRange& range : selected) {
                       for (int row = range.top(); row <= range.bottom(); ++row) {
                         list->setProperty("VX_LastSelected", QVariant::fromValue(qlonglong{row}));
                         PostWidgetEvent(list, WidgetEventChange);
                       }
                     }
                     if (!deselected.isEmpty()) PostWidgetEvent(list, WidgetEventChange);
                   });
  QObject::connect(list->model(), &QAbstractItemModel::dataChanged, &list->connections,
                   [list](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                     if (roles.contains(Qt::CheckStateRole)) PostWidgetEvent(list, WidgetEventChange);
                   });
  QObject::connect(header, &QHeaderView::sectionClicked, &list->connections, [list](int column) {
    list->setProperty("VX_ClikedColumn", QVariant::fromValue(qlonglong{column}));
    PostWidgetEvent(list, WidgetEventColumnClick);
  });

  const int64_t result = RegisterWidget(number, w, list, ListOps());
  if (result == 0) return 0;
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
  list->show();
  ListAddColumn(w, 0, first_title, first_width);
  return result;
}

}  // namespace ui
