// The widget tests run inside one application with the event queue, the windows and the widget table
// up, as the program runs them.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/window.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  if (!ui::InitEvents() || !ui::InitWindows() || !ui::InitWidgets()) return 2;
  const int result = RUN_ALL_TESTS();
  ui::ShutdownWidgets();
  ui::ShutdownWindows();
  ui::ShutdownEvents();
  return result;
}
