#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ui/driver.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/widget.h"
#include "ui/window.h"
#include "ui_test_support.h"

namespace {

namespace drive = ui_driver;

using runtime::Text;
using ui_test::Drain;
using ui_test::Event;
using ui_test::Only;
using ui_test::PumpAndDrain;

class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ui::WindowCreate(0, 20, 20, 600, 600, u"controls", 0xCC0000), 0);
    ASSERT_NE(ui::ButtonCreate(3, 10, 315, 100, 30, u" p r o c e s s "), 0);
    ASSERT_NE(ui::ListBoxCreate(6, 10, 350, 500, 200), 0);
    ASSERT_TRUE(drive::WaitForWindowShown(0));
    PumpAndDrain();
  }
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
  static ui::Point ItemCentre(int row) {
    const ui::Rect r = drive::ItemRect(6, row);
    return ui::Point{r.x + (r.width - 1) / 2, r.y + (r.height - 1) / 2};
  }
  static std::vector<Event> WidgetEvents() { return Only(PumpAndDrain(), ui::EventWidget); }
  static void Fill(std::initializer_list<const char16_t*> items) {
    for (const char16_t* t : items) ui::ItemAdd(6, -1, t);
  }
};

TEST_F(ControlsTest, ButtonTextIsItsCaptionExactlyAndAPressPostsALeftClick) {
  EXPECT_EQ(ui::WidgetText(3), Text(u" p r o c e s s "));
  ASSERT_NE(ui::ButtonCreate(4, 310, 315, 100, 30, u" q u i t  "), 0);
  EXPECT_EQ(ui::WidgetText(4), Text(u" q u i t  "));
  EXPECT_EQ(ui::WidgetState(3), 0);
  drive::Click(4);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 4, 0, ui::WidgetEventLeftClick}}));
  drive::PressKeyOn(3, drive::Key::Space);
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 3, 0, ui::WidgetEventLeftClick}}));
}

TEST_F(ControlsTest, CheckBoxStateFollowsTheUserAndTheProgramQuietly) {
  ASSERT_NE(ui::ButtonCreate(7, 10, 10, 100, 30, u"check", ui::kButtonAutoCheckBox), 0);
  drive::ClickAt(7, {5, 15});
  EXPECT_EQ(ui::WidgetState(7), 1);
  EXPECT_EQ(WidgetEvents().size(), 1u);
  ui::WidgetSetState(7, 0);
  EXPECT_EQ(ui::WidgetState(7), 0);
  EXPECT_TRUE(WidgetEvents().empty());
}

TEST_F(ControlsTest, ItemAddAppendsAtMinusOneAndInsertsAtZero) {
  EXPECT_EQ(ui::ItemAdd(6, -1, u"image list"), 0);
  ui::ItemAdd(6, -1, u"second");
  ui::ItemAdd(6, 0, u"top");
  ui::ItemAdd(6, 99, u"past the end");
  ASSERT_EQ(ui::ItemCount(6), 4);
  EXPECT_EQ(ui::ItemText(6, 0, 0), Text(u"top"));
  EXPECT_EQ(ui::ItemText(6, 1, 0), Text(u"image list"));
  EXPECT_EQ(ui::ItemText(6, 2, 0), Text(u"second"));
  EXPECT_EQ(ui::ItemText(6, 3, 0), Text(u"past the end"));
  EXPECT_EQ(ui::ItemText(6, 4, 0), Text());
  EXPECT_EQ(ui::ItemText(6, -1, 0), Text());
  EXPECT_EQ(ui::ItemAdd(6, -1, u"\xD800 lone half"), 0);  // kept unit for unit
  EXPECT_EQ(ui::ItemText(6, 4, 0), Text(u"\xD800 lone half"));
}

TEST_F(ControlsTest, GenericOperationsOnNumbersThatNameNothing) {
  EXPECT_EQ(ui::ItemAdd(42, -1, u"x"), 0);
  EXPECT_EQ(ui::WidgetText(42), Text());
  EXPECT_EQ(ui::ItemText(42, 0, 0), Text());
  EXPECT_EQ(ui::WidgetState(42), 0);
  EXPECT_EQ(ui::ColumnAdd(42, 0, u"x", 10), 0);
  ui::ItemsClear(42);
  EXPECT_EQ(ui::ItemCount(-9), 0);
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

TEST_F(ControlsTest, ListBoxClicksDoubleClicksAndRightClicks) {
  Fill({u"alpha", u"beta", u"gamma"});
  drive::ClickAt(6, ItemCentre(1));
  // The selection change and the release without dragging are the same event: one record.
  EXPECT_EQ(WidgetEvents(), (std::vector<Event>{{ui::EventWidget, 6, 0, ui::WidgetEventLeftClick}}));
  EXPECT_EQ(ui::WidgetState(6), 1);
  EXPECT_EQ(ui::WidgetText(6), Text(u"beta"));

  drive::DoubleClickAt(6, ItemCentre(1));
  const std::vector<Event> dbl = WidgetEvents();
  EXPECT_NE(std::find(dbl.begin(), dbl.end(), Event{ui::EventWidget, 6, 0, ui::WidgetEventDoubleClick}), dbl.end());

  drive::ClickAt(6, ItemCentre(2), drive::Mouse::Right);
  const std::vector<Event> right = WidgetEvents();
  EXPECT_NE(std::find(right.begin(), right.end(), Event{ui::EventWidget, 6, 0, ui::WidgetEventRightClick}),
            right.end());
}

}  // namespace
