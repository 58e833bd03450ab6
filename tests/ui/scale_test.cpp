// Runs with the screen's logical density forced to 144 dots per inch (see ui_test_main.cpp).
#include <gtest/gtest.h>

#include "tests/ui/driver.h"
#include "ui/button.h"
#include "ui/list_box.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace {

TEST(ScaleAt144Dpi, WindowsAndWidgetsAreCreatedAtOneAndAHalfTimesTheirRectangle) {
  ASSERT_EQ(ui::DisplayDensityX(), 144);
  ASSERT_EQ(ui::DisplayDensityY(), 144);
  ASSERT_NE(ui::WindowCreate(0, 20, 30, 400, 300, u"scaled", 0xCC0000), 0);
  EXPECT_EQ(ui_driver::WindowClientSize(0), (ui::Size{600, 450}));
  EXPECT_EQ(ui_driver::WindowFrame(0).x, 30);
  EXPECT_EQ(ui_driver::WindowFrame(0).y, 45);
  ASSERT_NE(ui::ButtonCreate(3, 10, 10, 200, 300, u"b"), 0);
  EXPECT_EQ(ui_driver::ControlGeometry(3), (ui::Rect{15, 15, 300, 450}));
  // 37.5 and 1.5: halves away from zero.
  ASSERT_NE(ui::ListBoxCreate(6, 25, 1, 25, 1), 0);
  EXPECT_EQ(ui_driver::ControlGeometry(6), (ui::Rect{38, 2, 38, 2}));
  ui::WindowDestroy(runtime::AnyId);
}

}  // namespace
