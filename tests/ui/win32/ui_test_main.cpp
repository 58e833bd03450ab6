// Runs the widget-layer tests over the Win32 backend, with the toolkit started as the program
// starts it.
#include <gtest/gtest.h>

#include "tests/ui/driver.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!ui_driver::StartForTests(argc, argv)) return 2;
  const int rc = RUN_ALL_TESTS();
  ui_driver::StopForTests();
  return rc;
}
