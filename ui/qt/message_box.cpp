#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <vector>

#include "ui/qt/qt_ui.h"
#include "ui/widget.h"

namespace ui {
namespace {

struct ButtonSet {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton escape;  // what closing the box answers
};

ButtonSet ButtonsFor(uint32_t flags) {
  switch (flags & 0xF) {
    case kMessageOkCancel: return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
    case kMessageAbortRetryIgnore:
      return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::NoButton};
    case kMessageYesNoCancel: return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
    case kMessageYesNo: return {QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton};
    case kMessageRetryCancel: return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Cancel};
    default: return {QMessageBox::Ok, QMessageBox::Ok};
  }
}

QMessageBox::Icon IconFor(uint32_t flags) {
  switch (flags & 0xF0) {
    case kMessageIconError: return QMessageBox::Critical;
    case kMessageIconQuestion: return QMessageBox::Question;
    case kMessageIconWarning: return QMessageBox::Warning;
    case kMessageIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int32_t AnswerFor(int button) {
  switch (button) {
    case QMessageBox::Ok: return kAnswerOk;
    case QMessageBox::Cancel: return kAnswerCancel;
    case QMessageBox::Abort: return kAnswerAbort;
    case QMessageBox::Retry: return kAnswerRetry;
    case QMessageBox::Ignore: return kAnswerIgnore;
    case QMessageBox::Yes: return kAnswerYes;
    case QMessageBox::No: return kAnswerNo;
    default: return 0;
  }
}

// What the box changed on one of the program's other windows, so that it can be put back.
struct Suspended {
  QPointer<QWidget> window;
  bool was_enabled;
  bool was_on_top;
};

}  // namespace

int32_t MessageBoxShow(runtime::TextView title, runtime::TextView text, uint32_t flags, void* owner_window) {
  auto* owner = static_cast<QWidget*>(owner_window);
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return 0;
  if (owner == nullptr) owner = QApplication::activeWindow();
  if (static_cast<int64_t>(text.size()) > kMessageTextLimit) text = text.substr(0, kMessageTextKept);

  // Modal to the whole program: the other windows are disabled outright rather than only
  // blocked, so that they look and report disabled while the box is up.
  std::vector<Suspended> suspended;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible()) continue;
    Suspended s{w, false, false};
    if (w->windowFlags() & Qt::WindowStaysOnTopHint) {
      s.was_on_top = true;
      w->setWindowFlag(Qt::WindowStaysOnTopHint, false);
      w->show();  // changing the flags hides the window
    }
    if (w->isEnabled()) {
      s.was_enabled = true;
      w->setEnabled(false);
    }
    if (s.was_enabled || s.was_on_top) suspended.push_back(s);
  }

  const ButtonSet set = ButtonsFor(flags);
  // No Qt parent: a disabled parent would disable the box too. The owner only places it.
  QMessageBox box(IconFor(flags), QStringFromText(title), QStringFromText(text), set.buttons);
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  if (set.escape != QMessageBox::NoButton) box.setEscapeButton(set.escape);
  if (owner != nullptr) {
    box.winId();
    if (owner->windowHandle() != nullptr) box.windowHandle()->setTransientParent(owner->windowHandle());
  }
  const int answer = box.exec();

  for (auto it = suspended.rbegin(); it != suspended.rend(); ++it) {
    if (it->window.isNull()) continue;
    if (it->was_on_top) {
      it->window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
      it->window->show();
    }
    if (it->was_enabled) it->window->setEnabled(true);
  }
  return AnswerFor(answer);
}

}  // namespace ui
