// Windows placed at a corner on small screens: a 1366 x 768 laptop and, beside it, a 1920 x 1080
// screen at 150 % (1280 x 720 logical), as tests/ui/small_screens.json sets them up for the offscreen
// platform.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "ui/window.h"
#include "ui/qt/qt_ui.h"

namespace ui {
namespace {

QRect AvailableArea(const char* name) {
  for (QScreen* s : QGuiApplication::screens()) {
    if (s->name() == QLatin1String(name)) return s->availableGeometry();
  }
  return QRect();
}

TEST(ScreenFit, AWindowIsMovedLeftAndUpJustEnoughToFit) {
  ASSERT_EQ(AvailableArea("laptop"), QRect(0, 0, 1366, 768));
  ASSERT_EQ(AvailableArea("scaled"), QRect(1366, 0, 1280, 720));
  const struct {
    const char* what;
    const char* screen;
    int32_t x, y, width, height;  // relative to the screen's top-left corner
    bool fits;                    // the frame can lie inside the available area
    int32_t left, top;            // where the frame's corner ends; -1: against the right or bottom edge
  } placements[] = {
      {"the main window's place on the laptop", "laptop", 800, 100, 600, 600, true, -1, 100},
      {"a place that fits stays", "laptop", 100, 50, 600, 600, true, 100, 50},
      {"too low: moved up only", "scaled", 100, 300, 600, 600, true, 100, -1},
      {"larger than the screen: its corner in the screen's", "laptop", 800, 100, 1500, 900, false, 0, 0},
  };
  for (const auto& p : placements) {
    SCOPED_TRACE(p.what);
    const QRect area = AvailableArea(p.screen);
    ASSERT_NE(WindowCreate(0, area.x() + p.x, area.y() + p.y, p.width, p.height, u"fit", 0xCC0000), 0);
    QWidget* w = ui::QtWindow(0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QRect frame = w->frameGeometry();
    EXPECT_EQ(w->size(), QSize(p.width, p.height));  // only the place changes
    EXPECT_EQ(area.contains(frame), p.fits) << frame.x() << "," << frame.y();
    EXPECT_EQ(p.left >= 0 ? frame.left() : frame.right(), p.left >= 0 ? area.x() + p.left : area.right());
    EXPECT_EQ(p.top >= 0 ? frame.top() : frame.bottom(), p.top >= 0 ? area.y() + p.top : area.bottom());
    WindowDestroy(0);
  }
}

}  // namespace
}  // namespace ui
