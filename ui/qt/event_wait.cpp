// Waiting for Qt's own events when the queue is empty, and the wake-up that ends such a wait.
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QString>

#include "ui/backend.h"

namespace ui {
namespace {

// Receives the wake-up that follows a close request, so that a wait blocked in the toolkit returns
// and the request is fetched at once.
class WakeUpTarget : public QObject {
 public:
  static QEvent::Type Type() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  bool woke = false;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == Type()) {
      woke = true;
      return true;
    }
    return QObject::event(e);
  }
};

WakeUpTarget* g_wake = nullptr;

}  // namespace

bool BackendStartEvents() {
  if (QCoreApplication::instance() == nullptr) return false;
  if (g_wake == nullptr) {
    g_wake = new WakeUpTarget;
    g_wake->setObjectName(QStringLiteral("PostEventClass"));
  }
  return true;
}

void BackendStopEvents() {
  delete g_wake;
  g_wake = nullptr;
}

bool BackendWaitEvents() {
  if (QCoreApplication::instance() == nullptr) return false;
  if (g_wake != nullptr) g_wake->woke = false;
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  // Without exec() nobody else delivers deleteLater(); do it here so widgets that Qt retires
  // that way do not pile up.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return g_wake != nullptr && g_wake->woke;
}

void BackendPostWakeUp() {
  if (g_wake == nullptr) return;
  QCoreApplication::postEvent(g_wake, new QEvent(WakeUpTarget::Type()));
}

}  // namespace ui
