// Runs the widget-layer tests inside one QApplication on the offscreen platform. SB_FORCE_DPI switches
// Qt's own scaling off (it would keep the logical density at 96) and sets the density before Qt starts.
#include <gtest/gtest.h>

#include <QByteArray>

#include "tests/ui/driver.h"

#define SB_STRINGIFY2(x) #x
#define SB_STRINGIFY(x) SB_STRINGIFY2(x)

int main(int argc, char** argv) {
#ifdef SB_SCREEN_CONFIG
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SB_SCREEN_CONFIG);
#endif
#ifdef SB_FORCE_DPI
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  qputenv("QT_FONT_DPI", SB_STRINGIFY(SB_FORCE_DPI));
#endif
  testing::InitGoogleTest(&argc, argv);
  if (!ui_driver::StartForTests(argc, argv)) return 2;
  const int rc = RUN_ALL_TESTS();
  ui_driver::StopForTests();
  return rc;
}
