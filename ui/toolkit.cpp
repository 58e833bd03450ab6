#include "ui/toolkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace ui {
namespace {

QApplication* g_application = nullptr;  // only the one made here

}  // namespace

bool StartToolkit(int& argc, char** argv) {
  if (QCoreApplication::instance()) return true;
  const bool display = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
                       !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!display) return false;
  g_application = new QApplication(argc, argv);
  return true;
}

void StopToolkit() {
  delete g_application;
  g_application = nullptr;
}

void KeepWindowAlive() {
  static QElapsedTimer since_last;
  if (since_last.isValid() && since_last.elapsed() < 30) return;
  // Input stays in the window system's queue: the handler that is running decides nothing new
  // until it returns, as if the program had been busy, but the windows keep painting.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since_last.start();
}

}  // namespace ui
