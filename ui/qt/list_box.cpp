#include "ui/list_box.h"

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QListWidget>
#include <QListWidgetItem>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPalette>
#include <QPoint>
#include <QScrollBar>
#include <QVariant>
#include <QVariantList>

#include <algorithm>
#include <cstdlib>

#include "ui/backend.h"
#include "ui/event_queue.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {
namespace {

using runtime::Text;
using runtime::TextView;

// Kind words of a list box record.
constexpr int kWordBackground = 0;     // colour, -1 = default
constexpr int kWordText = 1;           // colour, -1 = default
constexpr int kWordDragging = 2;       // 1 from a drag start until the button is released
constexpr int kWordConsumedPress = 3;  // 1 when the control did not see the press
constexpr int kWordFollowing = 4;      // 1 while the newest row is kept in view (the user is at the bottom)
constexpr int kWordFollowUp = 5;       // 1 from an append until the view has been brought to the bottom

constexpr char kMouseDown[] = "VX_MouseDown";

// Brackets a programmatic change of the selection: it is not the user's doing and posts nothing.
struct Quiet {
  Quiet() { SuppressEvents(); }
  ~Quiet() { ResumeEvents(); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

QListWidget* ListOf(WidgetRecord* w) { return static_cast<QListWidget*>(w->control); }

bool IsMulti(const QListWidget* l) { return l->selectionMode() != QAbstractItemView::SingleSelection; }

QListWidgetItem* ItemAt(QListWidget* l, int64_t item) {
  if (item < 0 || item >= l->count()) return nullptr;
  return l->item(static_cast<int>(item));
}

// Colours are 0x00BBGGRR values.
QColor ColourOf(int64_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

int64_t FirstSelected(QListWidget* l) {
  for (int i = 0; i < l->count(); ++i) {
    if (l->item(i)->isSelected()) return i;
  }
  return -1;
}

int64_t ListNotify(WidgetRecord* w, void* target_object, void* qt_event) {
  auto* target = static_cast<QObject*>(target_object);
  auto* e = static_cast<QEvent*>(qt_event);
  const QEvent::Type type = e->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
    return kNotHandled;
  }
  QListWidget* l = ListOf(w);
  if (target != l->viewport()) return kNotHandled;
  switch (type) {
    case QEvent::MouseButtonPress: {
      const auto* m = static_cast<QMouseEvent*>(e);
      if (m->button() != Qt::LeftButton) break;
      const QPoint pos = m->position().toPoint();
      QListWidgetItem* item = l->itemAt(pos);
      w->kind_words[kWordDragging] = 0;
      w->kind_words[kWordConsumedPress] = 0;
      if (item == nullptr) break;
      l->setProperty(kMouseDown, pos);
      // A press on a selected item of a multi-selection list may start dragging all of them; the
      // control would first reduce the selection to that one item.
      if (IsMulti(l) && item->isSelected() && (m->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) == 0) {
        w->kind_words[kWordConsumedPress] = 1;
        l->setFocus(Qt::MouseFocusReason);
        return 1;
      }
      break;
    }
    case QEvent::MouseMove: {
      if (w->kind_words[kWordDragging] != 0) return 1;  // the drag owns the mouse now
      const QVariant down = l->property(kMouseDown);
      if (!down.isValid()) break;
      const QPoint d = static_cast<const QMouseEvent*>(e)->position().toPoint() - down.toPoint();
      const int distance = QApplication::startDragDistance();
      if (std::abs(d.x()) > distance || std::abs(d.y()) > distance) {
        l->setProperty(kMouseDown, QVariant());
        QVariantList rows;
        for (int i = 0; i < l->count(); ++i) {
          if (l->item(i)->isSelected()) rows.append(i);
        }
        l->setProperty("VX_DragItems", rows);
        w->kind_words[kWordDragging] = 1;
        PostWidgetEvent(l, WidgetEventDragStart);
        return 1;
      }
      if (w->kind_words[kWordConsumedPress] != 0) return 1;
      break;
    }
    case QEvent::MouseButtonRelease: {
      const auto* m = static_cast<QMouseEvent*>(e);
      if (m->button() == Qt::RightButton) {
        PostWidgetEvent(l, WidgetEventRightClick);
        break;
      }
      if (m->button() != Qt::LeftButton) break;
      const bool clicked = l->property(kMouseDown).isValid();
      l->setProperty(kMouseDown, QVariant());
      // After a drag start the control must not see the release either: it would select the
      // item under the pointer.
      const bool consumed = w->kind_words[kWordConsumedPress] != 0 || w->kind_words[kWordDragging] != 0;
      w->kind_words[kWordDragging] = 0;
      w->kind_words[kWordConsumedPress] = 0;
      if (clicked) PostWidgetEvent(l, WidgetEventLeftClick);
      if (consumed) return 1;
      break;
    }
    default: break;
  }
  return kNotHandled;
}

int64_t ListGetState(WidgetRecord* w) { return FirstSelected(ListOf(w)); }

void ListSetState(WidgetRecord* w, int64_t state) {
  QListWidget* l = ListOf(w);
  Quiet quiet;
  QListWidgetItem* item = ItemAt(l, state);
  if (IsMulti(l)) {
    l->clearSelection();
    if (item != nullptr) item->setSelected(true);
  } else if (item != nullptr) {
    l->setCurrentItem(item);
    l->clearSelection();
    item->setSelected(true);
  } else {
    l->clearSelection();
  }
}

Text ListGetText(WidgetRecord* w) {
  QListWidget* l = ListOf(w);
  QListWidgetItem* item = ItemAt(l, FirstSelected(l));
  return item != nullptr ? TextFromQString(item->text()) : Text();
}

// Selects the first item equal to the text ignoring case. In a multi-selection list a match is
// added to the selection and no match leaves it alone; in a single-selection list no match
// clears it.
void ListSetText(WidgetRecord* w, TextView text) {
  QListWidget* l = ListOf(w);
  const Text wanted = runtime::TextLower(text);
  int64_t found = -1;
  for (int i = 0; i < l->count(); ++i) {
    if (runtime::TextLower(TextFromQString(l->item(i)->text())) == wanted) {
      found = i;
      break;
    }
  }
  if (IsMulti(l)) {
    if (found >= 0) {
      Quiet quiet;
      l->item(static_cast<int>(found))->setSelected(true);
    }
    return;
  }
  ListSetState(w, found);
}

WidgetRecord* RecordOf(QListWidget* l) {
  WidgetRecord* r = FindWidget(BackendControlNumber(l));
  return r != nullptr && r->control == l ? r : nullptr;
}

// Rows appended in a burst (a scan adds hundreds between two paints) bring the view down once, when
// the toolkit next lays the list out, not once per row.
void FollowNewestRow(WidgetRecord* w) {
  if (w->kind_words[kWordFollowing] == 0 || w->kind_words[kWordFollowUp] != 0) return;
  w->kind_words[kWordFollowUp] = 1;
  QListWidget* l = ListOf(w);
  QMetaObject::invokeMethod(
      l,
      [l] {
        WidgetRecord* r = RecordOf(l);
        if (r == nullptr) return;
        l->scrollToBottom();
        r->kind_words[kWordFollowUp] = 0;
      },
      Qt::QueuedConnection);
}

// The user scrolled (or moved the selection out of view): the list follows its newest row again only
// once the user is back at the bottom.
void ScrolledTo(QListWidget* l, int value) {
  WidgetRecord* r = RecordOf(l);
  if (r == nullptr || r->kind_words[kWordFollowUp] != 0) return;
  r->kind_words[kWordFollowing] = value >= l->verticalScrollBar()->maximum() ? 1 : 0;
}

int64_t ListAddItem(WidgetRecord* w, int64_t position, TextView text, int64_t) {
  QListWidget* l = ListOf(w);
  const QString s = QStringFromText(text);
  if (position < 0 || position >= l->count()) {
    l->addItem(s);
    FollowNewestRow(w);
  } else {
    l->insertItem(static_cast<int>(position), s);
  }
  return 0;
}

int64_t ListRemoveItem(WidgetRecord* w, int64_t item) {
  QListWidget* l = ListOf(w);
  if (ItemAt(l, item) == nullptr) return -1;
  Quiet quiet;
  delete l->takeItem(static_cast<int>(item));
  return l->count();
}

void ListClearItems(WidgetRecord* w) {
  ListOf(w)->clear();
  w->kind_words[kWordFollowing] = 1;  // an empty list has nowhere else to be
}

int64_t ListCountItems(WidgetRecord* w) { return ListOf(w)->count(); }

int64_t ListGetItemState(WidgetRecord* w, int64_t item) {
  QListWidgetItem* i = ItemAt(ListOf(w), item);
  return (i != nullptr && i->isSelected()) ? 1 : 0;
}

void ListSetItemState(WidgetRecord* w, int64_t item, int64_t state) {
  QListWidget* l = ListOf(w);
  QListWidgetItem* i = ItemAt(l, item);
  if (i == nullptr) return;
  if (!IsMulti(l) && state != 0) {
    ListSetState(w, item);
    return;
  }
  Quiet quiet;
  i->setSelected(state != 0);
}

Text ListGetItemText(WidgetRecord* w, int64_t item, int64_t) {
  QListWidgetItem* i = ItemAt(ListOf(w), item);
  return i != nullptr ? TextFromQString(i->text()) : Text();
}

void ListSetItemText(WidgetRecord* w, int64_t item, TextView text, int64_t) {
  QListWidgetItem* i = ItemAt(ListOf(w), item);
  if (i != nullptr) i->setText(QStringFromText(text));  // in place: the item keeps its data
}

void ListSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  QListWidget* l = ListOf(w);
  int word;
  QPalette::ColorRole role;
  if (which == kColourText) {
    word = kWordText;
    role = QPalette::Text;
  } else if (which == kColourBackground) {
    word = kWordBackground;
    role = QPalette::Base;
  } else {
    return;
  }
  w->kind_words[word] = colour < 0 ? -1 : (colour & 0xFFFFFF);
  QPalette p = l->palette();
  p.setColor(role, colour < 0 ? QApplication::palette(l).color(role) : ColourOf(colour));
  l->setPalette(p);
}

int64_t ListGetColour(WidgetRecord* w, int64_t which) {
  if (which == kColourText) return w->kind_words[kWordText];
  if (which == kColourBackground) return w->kind_words[kWordBackground];
  return -1;
}

void ListSetItemData(WidgetRecord* w, int64_t item, int64_t data) {
  QListWidgetItem* i = ItemAt(ListOf(w), item);
  if (i != nullptr) i->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(data));
}

int64_t ListGetItemData(WidgetRecord* w, int64_t item) {
  QListWidgetItem* i = ItemAt(ListOf(w), item);
  return i != nullptr ? i->data(Qt::UserRole).toLongLong() : 0;
}

constexpr WidgetKindOps kListBoxOps = [] {
  WidgetKindOps ops{};
  ops.kind = WidgetKindListBox;
  ops.size = sizeof(WidgetKindOps);
  ops.notify = &ListNotify;
  ops.get_state = &ListGetState;
  ops.set_state = &ListSetState;
  ops.get_text = &ListGetText;
  ops.set_text = &ListSetText;
  ops.add_item = &ListAddItem;
  ops.remove_item = &ListRemoveItem;
  ops.clear_items = &ListClearItems;
  ops.count_items = &ListCountItems;
  ops.get_item_state = &ListGetItemState;
  ops.set_item_state = &ListSetItemState;
  ops.get_item_text = &ListGetItemText;
  ops.set_item_text = &ListSetItemText;
  ops.set_colour = &ListSetColour;
  ops.get_colour = &ListGetColour;
  ops.set_item_data = &ListSetItemData;
  ops.get_item_data = &ListGetItemData;
  return ops;
}();

}  // namespace

int64_t ListBoxCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                      uint32_t flags) {
  WidgetRecord* record = AcquireWidget(number);
  if (record == nullptr) return 0;
  QWidget* parent = QtContainer();
  if (parent == nullptr) return RegisterWidget(number, record, nullptr, nullptr);

  auto* l = new QListWidget(parent);
  const ScaledRect g = ScaleRect(x, y, width, height);
  l->setGeometry(g.x, g.y, g.width, g.height);
  if (flags & kListBoxExtendedSelection) {
    l->setSelectionMode(QAbstractItemView::ExtendedSelection);
  } else if (flags & kListBoxMultipleSelection) {
    l->setSelectionMode(QAbstractItemView::MultiSelection);
  } else {
    l->setSelectionMode(QAbstractItemView::SingleSelection);
  }
  l->setFocusPolicy(Qt::StrongFocus);
  l->setDragEnabled(false);  // dragging is reported as an event, the application decides
  l->setUniformItemSizes(true);
  record->kind_words[kWordBackground] = -1;
  record->kind_words[kWordText] = -1;
  record->kind_words[kWordFollowing] = 1;
  QObject::connect(l->verticalScrollBar(), &QScrollBar::valueChanged, l, [l](int value) { ScrolledTo(l, value); });
  QObject::connect(l, &QListWidget::itemSelectionChanged, l, [l] { PostWidgetEvent(l, WidgetEventLeftClick); });
  QObject::connect(l, &QListWidget::itemDoubleClicked, l,
                   [l](QListWidgetItem*) { PostWidgetEvent(l, WidgetEventDoubleClick); });
  l->show();
  return RegisterWidget(number, record, l, &kListBoxOps);
}

}  // namespace ui
