#include <gtest/gtest.h>

#include "tests/ui/driver.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!ui_driver::StartForTests(argc, argv)) return 2;
  const int rc = RUN_ALL_TESTS();
  ui_driver::StopForTests();
  return rc;
}
