// The Qt side of widget registration: the common handler, the widget number and font on the control,
// and noticing when Qt destroys a control.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "ui/backend.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"

namespace ui {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

namespace {

QFont* g_font = nullptr;

}  // namespace

// The common handler: offers every event of the control to its kind first.
struct WidgetFilter : QObject {
  WidgetFilter(ObjectNumber n, QObject* parent) : QObject(parent), number(n) {}
  ObjectNumber number;

  bool eventFilter(QObject* target, QEvent* e) override {
    WidgetRecord* r = FindWidget(number);
    if (r == nullptr || r->ops == nullptr || r->ops->notify == nullptr) return false;
    return r->ops->notify(r, target, e) != kNotHandled;
  }
};

Text TextFromQString(const QString& s) {
  return Text(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

QString QStringFromText(TextView t) {
  return QString(reinterpret_cast<const QChar*>(t.data()), static_cast<qsizetype>(t.size()));
}

const QFont& WidgetFont() {
  static const QFont fallback;
  return g_font != nullptr ? *g_font : fallback;
}

bool BackendStartWidgets() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  // The font message boxes use stands for the platform's message font; without a theme entry
  // Qt falls back to its general font.
  delete g_font;
  g_font = new QFont(QApplication::font("QMessageBox"));
  return true;
}

void BackendStopWidgets() {
  delete g_font;
  g_font = nullptr;
}

void BackendAttachControl(WidgetRecord* record) {
  auto* control = static_cast<QWidget*>(record->control);
  const ObjectNumber n = record->number;
  record->filter = new WidgetFilter(n, control);
  control->installEventFilter(record->filter);
  // Item views take their mouse input on the viewport; the kind must see it there too.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) area->viewport()->installEventFilter(record->filter);
  control->setProperty("VX_ID", QVariant::fromValue<qlonglong>(n));
  if (g_font != nullptr) control->setFont(*g_font);
  QObject::connect(control, &QObject::destroyed, [n, control] { ControlDestroyed(n, control); });
}

int64_t BackendControlNumber(const void* control) {
  const QVariant id = static_cast<const QWidget*>(control)->property("VX_ID");
  return id.isValid() ? id.toLongLong() : -1;
}

void BackendDestroyControl(void* control) {
  auto* c = static_cast<QWidget*>(control);
  c->setProperty("VX_ID", QVariant::fromValue<qlonglong>(-1));  // silences its handlers from here on
  delete c;
}

Text BackendControlText(void* control) {
  auto* c = static_cast<QWidget*>(control);
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return TextFromQString(b->text());
  return TextFromQString(c->windowTitle());
}

void BackendSetControlText(void* control, TextView text) {
  auto* c = static_cast<QWidget*>(control);
  if (auto* b = qobject_cast<QAbstractButton*>(c)) {
    b->setText(QStringFromText(text));
  } else {
    c->setWindowTitle(QStringFromText(text));
  }
}

void BackendEnableControl(void* control, bool enabled) { static_cast<QWidget*>(control)->setEnabled(enabled); }

bool BackendControlEnabled(const void* control) { return static_cast<const QWidget*>(control)->isEnabled(); }

void BackendFocusControl(void* control) { static_cast<QWidget*>(control)->setFocus(Qt::OtherFocusReason); }

bool BackendControlHasFocus(const void* control) {
  const QWidget* focus = QApplication::focusWidget();
  const auto* c = static_cast<const QWidget*>(control);
  return focus != nullptr && (focus == c || c->isAncestorOf(focus));
}

}  // namespace ui
