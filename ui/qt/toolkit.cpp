#include "ui/toolkit.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace ui {
namespace {

QApplication* g_application = nullptr;  // only the one made here

// What the toolkit says while it starts. Held back, because when the start fails its several lines
// (and an abort) become one line of ours; when it succeeds they are passed on as they came.
struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};

std::mutex g_held_mutex;
std::vector<HeldMessage> g_held;
QtMessageHandler g_previous_handler = nullptr;
ToolkitFailure g_failed = nullptr;

// The first quoted name in a text, or "" without one.
QString QuotedName(const QString& text) {
  const qsizetype open = text.indexOf(u'"');
  const qsizetype close = open < 0 ? -1 : text.indexOf(u'"', open + 1);
  return close < 0 ? QString() : text.mid(open + 1, close - open - 1);
}

QString Quoted(const QByteArray& value) { return u'"' + QString::fromLocal8Bit(value) + u'"'; }

// Why one platform plugin could not serve: it is missing, or its display could not be reached.
QString PluginFailure(const QString& plugin, bool found) {
  const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
  if (!found) {
    QString reason = QStringLiteral("no platform plugin \"%1\"").arg(plugin);
    if (plugin == u"wayland" && !wayland.isEmpty()) {
      reason += QStringLiteral(" for the Wayland display ") + Quoted(wayland);
    }
    return reason;
  }
  if (plugin == u"xcb") {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) return QStringLiteral("no X display (DISPLAY is not set)");
    return QStringLiteral("the X display ") + Quoted(display) + QStringLiteral(" cannot be reached");
  }
  if (plugin == u"wayland") {
    return QStringLiteral("the Wayland display ") + Quoted(wayland.isEmpty() ? QByteArray("wayland-0") : wayland) +
           QStringLiteral(" cannot be reached");
  }
  return QStringLiteral("the platform \"%1\" could not start").arg(plugin);
}

// One line from what the toolkit said before giving up: each platform it tried and why it failed.
QString FailureReason(const std::vector<HeldMessage>& held, const QString& fatal) {
  QStringList reasons;
  for (const HeldMessage& m : held) {
    if (m.category != "qt.qpa.plugin") continue;
    const QString plugin = QuotedName(m.text);
    if (plugin.isEmpty()) continue;
    if (m.text.contains(QStringLiteral("Could not find"))) reasons << PluginFailure(plugin, false);
    if (m.text.contains(QStringLiteral("Could not load"))) reasons << PluginFailure(plugin, true);
  }
  if (reasons.isEmpty()) reasons << fatal.section(u'\n', 0, 0).trimmed();
  return reasons.join(QStringLiteral("; "));
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  std::vector<HeldMessage> held;
  {
    std::lock_guard<std::mutex> lock(g_held_mutex);
    if (type != QtFatalMsg) {
      g_held.push_back({type, QByteArray(context.category ? context.category : ""), text});
      return;
    }
    held.swap(g_held);
  }
  // The toolkit cannot go on and would abort next: end here, having said why. Nothing of the half-made
  // application object may run its destructors, so the process ends without them.
  const std::string reason = FailureReason(held, text).toStdString();
  if (g_failed) g_failed(reason);
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(1);
}

void PassOnHeldMessages() {
  std::vector<HeldMessage> held;
  {
    std::lock_guard<std::mutex> lock(g_held_mutex);
    held.swap(g_held);
  }
  for (const HeldMessage& m : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
    if (g_previous_handler) g_previous_handler(m.type, context, m.text);
  }
}

}  // namespace

bool StartToolkit(int& argc, char** argv, ToolkitFailure failed) {
  if (QCoreApplication::instance()) return true;
  const bool display = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
                       !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!display) return false;
  // The platform plugin is loaded and its display opened inside the constructor, which reports a failure
  // only as a fatal message: a check made before it could not know every platform, fallback and option
  // the toolkit weighs, so its own verdict is caught instead.
  g_failed = failed;
  g_previous_handler = qInstallMessageHandler(HoldMessage);
  g_application = new QApplication(argc, argv);
  qInstallMessageHandler(g_previous_handler);
  PassOnHeldMessages();
  return true;
}

void StopToolkit() {
  delete g_application;
  g_application = nullptr;
}

void PumpEvents() {
  // Twice: an item view that gained rows since the last pump drops its layout and lays itself out
  // only on a timer of this first pass, after that pass painted it blank; the second pass paints
  // what the timer laid out. With one pass a list that grows between pumps is never shown.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Without exec() nobody else delivers deleteLater().
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SetProgramIcon(std::string_view png) {
  QPixmap picture;
  if (!picture.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<uint>(png.size()), "PNG")) return;
  QApplication::setWindowIcon(QIcon(picture));
}

}  // namespace ui
