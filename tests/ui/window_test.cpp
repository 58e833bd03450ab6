#include "ui/window.h"

#include <gtest/gtest.h>

#include "tests/ui/widget_test_support.h"
#include "ui/button.h"
#include "ui/folder_tree.h"
#include "ui/layout.h"
#include "ui/list_box.h"

namespace {

namespace drive = ui_driver;

using ui_test::Drain;
using ui_test::Event;
using ui_test::PumpAndDrain;
using Events = std::vector<Event>;

class WindowsTest : public testing::Test {
 protected:
  void TearDown() override {
    ui::WindowDestroy(runtime::AnyId);
    ui::RemoveEvents(-1, -1, -1, -1);
  }
  static void Open(int64_t n, uint32_t style = 0xCC0000) {
    ASSERT_NE(ui::WindowCreate(n, 20, 20, 300, 200, u"window", style), 0);
    ASSERT_TRUE(drive::WaitForWindowShown(n));
    PumpAndDrain();
  }
};

// The events that report a window's size state, without those painting and activation scatter.
Events StateEvents() {
  Events out;
  for (const Event& e : PumpAndDrain()) {
    if (e.code == ui::EventWindowMinimized || e.code == ui::EventWindowMaximized || e.code == ui::EventWindowRestored ||
        e.code == ui::EventWindowSized) {
      out.push_back(e);
    }
  }
  return out;
}

constexpr Event kMaximized{ui::EventWindowMaximized, 0, 0, 0};
constexpr Event kRestored{ui::EventWindowRestored, 0, 0, 0};
constexpr Event kSized{ui::EventWindowSized, 0, 0, 0};

TEST_F(WindowsTest, CloseBoxTwiceGivesOneCloseEventAndTheWindowStays) {
  Open(0);
  drive::RequestClose(0);
  drive::RequestClose(0);
  EXPECT_EQ(Drain(ui::EventCloseWindow), (Events{{ui::EventCloseWindow, 0, 0, 0}}));
  EXPECT_TRUE(drive::WindowVisible(0));
  // The wake-up that followed the request ends a wait without being an event.
  EXPECT_EQ(ui::EventWait(), ui::kWaitWakeUp);
  EXPECT_EQ(ui::EventKind(), -1);
}

TEST_F(WindowsTest, SizeStatesReportTheirEventAndOneSizeTheLast) {
  Open(0, 0xCF0000);
  drive::MaximizeWindow(0);
  ASSERT_TRUE(drive::WaitUntil([] { return drive::WindowMaximized(0); }));
  const Events maximised = StateEvents();
  ASSERT_FALSE(maximised.empty());
  EXPECT_EQ(maximised.front(), kMaximized);
  EXPECT_EQ(maximised.back(), kSized);

  drive::RestoreWindow(0);
  drive::GrowWindow(0, 10);  // more size messages before the fetch
  drive::GrowWindow(0, 10);
  ASSERT_TRUE(drive::WaitUntil([] { return !drive::WindowMaximized(0); }));
  drive::Process();
  EXPECT_EQ(StateEvents(), (Events{kRestored, kSized}));

  drive::MinimizeWindow(0);
  ASSERT_TRUE(drive::WaitUntil([] { return drive::WindowMinimized(0); }));
  EXPECT_EQ(StateEvents(), (Events{{ui::EventWindowMinimized, 0, 0, 0}}));
}

TEST_F(WindowsTest, AnyIdNumbersAndTheWindowProperty) {
  const int64_t a = ui::WindowCreate(runtime::AnyId, 0, 0, 100, 100, u"a", 0);
  const int64_t b = ui::WindowCreate(runtime::AnyId, 0, 0, 100, 100, u"b", 0);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(ui::WindowNumberOf(ui::WindowWidget(a)), a);
  // A fixed number returns a handle, not the number.
  const int64_t handle = ui::WindowCreate(5, 0, 0, 100, 100, u"", 0);
  EXPECT_EQ(handle, static_cast<int64_t>(reinterpret_cast<intptr_t>(ui::WindowWidget(5))));
  EXPECT_EQ(ui::WindowCreate(-7, 0, 0, 100, 100, u"", 0), 0);
  ui::WindowDestroy(a);
  EXPECT_EQ(ui::WindowWidget(a), nullptr);
  EXPECT_NE(ui::WindowWidget(b), nullptr);
}

TEST_F(WindowsTest, CentresOnTheScreenOrOnTheParent) {
  const ui::Rect sg = drive::PrimaryScreen();
  ASSERT_NE(ui::WindowCreate(0, 5, 5, 200, 100, u"", 0xCC0000 | ui::kWindowCentreOnScreen), 0);
  void* parent = ui::WindowWidget(0);
  const ui::Rect outer = drive::WindowFrame(0);
  EXPECT_EQ(outer.x, sg.x + (sg.width - outer.width) / 2);
  EXPECT_EQ(outer.y, sg.y + (sg.height - outer.height) / 2);
  ASSERT_NE(ui::WindowCreate(1, 5, 5, 100, 50, u"", 0xCC0000 | ui::kWindowCentreOnParent | 0x8, parent), 0);
  const ui::Rect child = drive::WindowFrame(1);
  // Centres as whole pixels: each side's leftover halved, rounded down.
  EXPECT_EQ(child.x, outer.x + (outer.width - child.width) / 2);
  EXPECT_EQ(child.y, outer.y + (outer.height - child.height) / 2);
  EXPECT_EQ(ui::WidgetContainer(), parent);
}

TEST_F(WindowsTest, DestroyingTheWindowDestroysItsWidgetsAndDropsTheirEvents) {
  Open(0);
  ASSERT_NE(ui::ButtonCreate(3, 10, 10, 100, 30, u"b"), 0);
  ASSERT_NE(ui::ListBoxCreate(6, 10, 50, 100, 100), 0);
  drive::Click(3);
  ui::PostEvent(ui::EventWindowSized, 0, 0, 0);
  ui::PostEvent(ui::EventWidget, 9, 1, 0);  // another window's event stays
  ui::WindowDestroy(0);
  EXPECT_EQ(ui::WindowWidget(0), nullptr);
  EXPECT_EQ(ui::WidgetControl(3), nullptr);
  EXPECT_EQ(ui::WidgetControl(6), nullptr);
  EXPECT_EQ(Drain(), (Events{{ui::EventWidget, 9, 1, 0}}));
  // Without a container no widget can be made, and the number stays free.
  EXPECT_EQ(ui::WidgetContainer(), nullptr);
  EXPECT_EQ(ui::ButtonCreate(3, 10, 10, 100, 30, u"b"), 0);
  EXPECT_EQ(ui::FindWidget(3), nullptr);
}

TEST_F(WindowsTest, StyleBitsGiveTheFrameTheyName) {
  const struct {
    const char* what;
    uint32_t style;
    drive::WindowDecorations frame;
    bool shown;
  } windows[] = {
      {"title bar, close box and sizing frame", 0xCC0000, {true, true, false, false, true, false}, true},
      {"no sizing frame, not the container, hidden",
       0xC80000 | ui::kWindowNotContainer | ui::kWindowHidden,
       {true, true, false, false, false, false},
       false},
      {"a tool window loses the minimise and maximise boxes",
       ui::kWindowTool | 0xCF0000 | ui::kWindowNotContainer,
       {true, true, false, false, true, true},
       true},
  };
  for (int64_t n = 0; n < 3; ++n) {
    SCOPED_TRACE(windows[n].what);
    ASSERT_NE(ui::WindowCreate(n, 30, 40, 200, 100, u"frame", windows[n].style), 0);
    EXPECT_EQ(drive::DecorationsOf(n), windows[n].frame);
    EXPECT_EQ(drive::WindowVisible(n), windows[n].shown);
    EXPECT_EQ(drive::WindowClientSize(n), (ui::Size{200, 100}));
  }
  EXPECT_EQ(drive::WindowFrame(0).x, 30);
  EXPECT_EQ(drive::WindowFrame(0).y, 40);
  EXPECT_EQ(ui::WidgetContainer(), ui::WindowWidget(0));
}

// With a folder tree, which watches the window for drives that come and go, as without one.
TEST_F(WindowsTest, TabCyclesOverEnabledVisibleWidgetsInCreationOrderAndEscapeAsksToStop) {
  ASSERT_NE(ui::WindowCreate(0, 20, 20, 400, 300, u"tabs", 0xCC0000), 0);
  ASSERT_NE(ui::ButtonCreate(1, 10, 10, 80, 30, u"first"), 0);
  ASSERT_NE(ui::ListBoxCreate(2, 10, 50, 100, 100), 0);
  ASSERT_NE(ui::ButtonCreate(3, 10, 160, 80, 30, u"disabled"), 0);
  ASSERT_NE(ui::ButtonCreate(4, 10, 200, 80, 30, u"hidden"), 0);
  ASSERT_NE(ui::ButtonCreate(5, 10, 240, 80, 30, u"last"), 0);
  ASSERT_NE(ui::FolderTreeCreate(6, 200, 10, 150, 200, u""), 0);
  ui::ItemAdd(2, -1, u"one");
  ui::ItemAdd(2, -1, u"two");
  drive::EnableWidget(3, false);
  drive::ShowWidget(4, false);
  ASSERT_TRUE(drive::ActivateWindow(0));
  drive::FocusWidget(1);
  ASSERT_EQ(drive::FocusedWidget(), 1);
  PumpAndDrain();
  const struct {
    drive::Key key;
    int64_t focused;
  } steps[] = {{drive::Key::Tab, 2}, {drive::Key::Tab, 5},      {drive::Key::Tab, 6},
               {drive::Key::Tab, 1}, {drive::Key::ShiftTab, 6}, {drive::Key::ShiftTab, 5}};
  for (const auto& step : steps) {
    drive::PressKey(0, step.key);
    EXPECT_EQ(drive::FocusedWidget(), step.focused);
  }
  // Focus moves are not events; a tree view that takes the focus may select an item, its own change.
  for (const Event& e : PumpAndDrain(ui::EventWidget)) EXPECT_EQ(e.object, 6);
  drive::PressKey(0, drive::Key::Escape);
  EXPECT_EQ(PumpAndDrain(ui::EventWindowCancel), (Events{{ui::EventWindowCancel, 0, 0, 0}}));
}

TEST(WindowLayoutTest, AWindowIsMadeSmallerDownToItsLeastThenMovedInsideTheArea) {
  const ui::Rect area{0, 0, 1024, 600};
  const struct {
    const char* what;
    ui::Rect wanted;
    ui::Size least;
    ui::Rect fit;
  } cases[] = {
      {"fits: stays", {100, 50, 600, 500}, {600, 500}, {100, 50, 600, 500}},
      {"past the right and bottom: moved left and up", {800, 100, 600, 550}, {600, 550}, {424, 50, 600, 550}},
      {"taller than the area: as tall as it", {800, 100, 606, 630}, {426, 430}, {418, 0, 606, 600}},
      {"larger than its least allows: the corner in the area's", {-50, -20, 606, 630}, {1100, 700}, {0, 0, 1100, 700}},
      {"smaller than its least: made larger", {10, 10, 100, 100}, {200, 150}, {10, 10, 200, 150}},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::FitIntoArea(c.wanted, c.least, area), c.fit) << c.what;
}

TEST(WindowLayoutTest, EdgesMoveByTheirShareOfTheChangeAndKeepTheDesignAtTheDesignedSize) {
  const ui::LayoutRule half_width_then_half_height{{0, 0, 50, 0}, {0, 0, 50, 50}};
  const ui::Rect designed{10, 10, 200, 300};
  const ui::Size client{600, 600};
  const struct {
    ui::Size now;
    ui::Rect laid_out;
  } cases[] = {
      {{600, 600}, designed},           {{1000, 800}, {10, 10, 400, 300}},
      {{601, 600}, {10, 10, 201, 300}},                            // half a pixel, away from zero
      {{420, 400}, {10, 10, 110, 200}}, {{0, 0}, {10, 10, 0, 0}},  // never a negative size
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::LaidOut(designed, client, c.now, half_width_then_half_height), c.laid_out) << c.now.width;
  }
}

TEST(WindowLayoutTest, ColumnsFitTheirTextsAndOneFillsWhatIsLeft) {
  const ui::ColumnNeed name{250, 400, false, true};
  const ui::ColumnNeed size{100, 62, true, false};
  const ui::ColumnNeed fixed{80, 500, false, false};
  const struct {
    const char* what;
    int32_t room;
    std::vector<ui::ColumnNeed> columns;
    std::vector<int32_t> widths;
  } cases[] = {
      {"the size fits its texts, the name takes the rest", 281, {name, size}, {219, 62}},
      {"the filler keeps a third; the fitted column gives up the rest", 90, {name, size}, {30, 60}},
      {"fixed columns keep their width", 300, {fixed, name, size}, {80, 158, 62}},
      {"without a filler nothing follows the room", 50, {size, fixed}, {62, 80}},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::FitColumnWidths(c.room, c.columns), c.widths) << c.what;
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndRefusesWhatDoesNotFit) {
  const struct {
    int32_t number, numerator, denominator, result;
  } cases[] = {{-25, 144, 96, -38},
               {1, 1, 0, -1},
               {2000000000, 2000000000, 1, -1},
               {2000000000, 2000000000, 2000000000, 2000000000}};
  for (const auto& c : cases) EXPECT_EQ(ui::MulDiv(c.number, c.numerator, c.denominator), c.result) << c.number;
}

}  // namespace
