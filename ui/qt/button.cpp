#include "ui/button.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>

#include "ui/event_queue.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {
namespace {

QAbstractButton* ButtonOf(WidgetRecord* w) { return static_cast<QAbstractButton*>(w->control); }

// Enter presses a focused push button as Space does; Qt leaves Enter to a dialog's default button.
int64_t ButtonNotify(WidgetRecord* w, void* target, void* event) {
  auto* e = static_cast<QEvent*>(event);
  auto* push = qobject_cast<QPushButton*>(ButtonOf(w));
  if (target != push || push == nullptr || e->type() != QEvent::KeyPress) return kNotHandled;
  const auto* k = static_cast<QKeyEvent*>(e);
  if ((k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) || (k->modifiers() & ~Qt::KeypadModifier)) {
    return kNotHandled;
  }
  if (!k->isAutoRepeat()) push->click();
  return 1;
}

int64_t ButtonGetState(WidgetRecord* w) { return ButtonOf(w)->isChecked() ? 1 : 0; }

void ButtonSetState(WidgetRecord* w, int64_t state) {
  // A programmatic toggle is not the user's press.
  SuppressEvents();
  ButtonOf(w)->setChecked(state != 0);
  ResumeEvents();
}

// Room for the caption in the button's font, with the platform's edge and padding, and the
// height of a standard button for captions of ordinary height.
int64_t ButtonRequiredSize(WidgetRecord* w, int32_t* width, int32_t* height) {
  QAbstractButton* b = ButtonOf(w);
  const QSize extent = QFontMetrics(b->font()).size(Qt::TextSingleLine, b->text());
  constexpr int32_t kEdge = 2;
  int32_t wd = extent.width() + 2 * ScaleX(kEdge) + ScaleX(10);
  int32_t ht = extent.height() + 2 * ScaleY(kEdge);
  if (ht >= ScaleY(18) && ht < ScaleY(24)) ht = std::min(static_cast<int32_t>(ht * 1.27), ScaleY(24));
  *width = wd;
  *height = ht;
  return 1;
}

constexpr WidgetKindOps kButtonOps = [] {
  WidgetKindOps ops{};
  ops.kind = WidgetKindButton;
  ops.size = sizeof(WidgetKindOps);
  ops.notify = &ButtonNotify;
  ops.get_state = &ButtonGetState;
  ops.set_state = &ButtonSetState;
  ops.required_size = &ButtonRequiredSize;
  return ops;
}();

}  // namespace

int64_t ButtonCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                     runtime::TextView text, uint32_t flags) {
  WidgetRecord* record = AcquireWidget(number);
  if (record == nullptr) return 0;
  QWidget* parent = QtContainer();
  if (parent == nullptr) return RegisterWidget(number, record, nullptr, nullptr);

  QAbstractButton* b = nullptr;
  switch (flags & kButtonTypeMask) {
    case 0x2:
    case 0x3:
    case 0x5:
    case 0x6: {
      auto* box = new QCheckBox(parent);
      box->setTristate((flags & kButtonTypeMask) >= 0x5);
      b = box;
      break;
    }
    case 0x4:
    case 0x9: b = new QRadioButton(parent); break;
    default: {
      auto* push = new QPushButton(parent);
      push->setDefault((flags & kButtonTypeMask) == kButtonDefault);
      push->setAutoDefault(false);
      push->setCheckable((flags & kButtonPushLike) != 0);
      b = push;
      break;
    }
  }
  b->setText(QStringFromText(text));
  const ScaledRect g = ScaleRect(x, y, width, height);
  b->setGeometry(g.x, g.y, g.width, g.height);
  b->setFocusPolicy(Qt::StrongFocus);
  QObject::connect(b, &QAbstractButton::clicked, b, [b] { PostWidgetEvent(b, WidgetEventLeftClick); });
  b->show();
  return RegisterWidget(number, record, b, &kButtonOps);
}

}  // namespace ui
