// Runs the widget-layer tests with the toolkit started as the program starts it. On Qt,
// SB_SCREEN_CONFIG gives the offscreen platform its screens, and SB_FORCE_DPI switches Qt's own
// scaling off (it would keep the logical density at 96) and sets the density before Qt starts. The
// user's settings folder is a temporary one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"
#include "tests/ui/driver.h"

#define SB_STRINGIFY2(x) #x
#define SB_STRINGIFY(x) SB_STRINGIFY2(x)

int main(int argc, char** argv) {
#ifdef SB_SCREEN_CONFIG
  setenv("QT_QPA_PLATFORM", "offscreen:configfile=" SB_SCREEN_CONFIG, 1);
#endif
#ifdef SB_FORCE_DPI
  setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
  setenv("QT_FONT_DPI", SB_STRINGIFY(SB_FORCE_DPI), 1);
#endif
  // What a window remembers for its user goes to a folder of the run's own, never to the user's.
  const testsupport::TempDir settings;
#if defined(_WIN32)
  _wputenv_s(L"APPDATA", settings.path().c_str());
#else
  setenv("XDG_CONFIG_HOME", settings.str().c_str(), 1);
#endif
  testing::InitGoogleTest(&argc, argv);
  if (!ui_driver::StartForTests(argc, argv)) return 2;
  const int rc = RUN_ALL_TESTS();
  ui_driver::StopForTests();
  return rc;
}
