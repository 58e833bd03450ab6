// The native layer under wine: what the window procedure does with a new density, the message loop's
// wake-up, the message font, the tree control's lazy population under real keys, and the drives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/ui/win32/driver_win32.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"

namespace ui_win32_test {
namespace {

using namespace ui::win32;

constexpr wchar_t kClass[] = L"NativeLayerTestClass";

// A window of the layer's own class with a tree view; the callbacks record new densities, and a tree
// item expanded for the first time gets two children, as the folder tree's population does.
struct NativeWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(NativeInitControls());
    ASSERT_TRUE(NativeInitMessageLoop());
    ASSERT_TRUE(NativeRegisterWindowClass(kClass));
    callbacks_.ControlMessage = Populate;
    callbacks_.DensityChanged = [](void* c, HWND, UINT dpi) {
      static_cast<NativeWindowTest*>(c)->densities_.push_back(dpi);
    };
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    window_ = NativeWindowCreate({kClass, L"native", 40, 40, 600, 400, style, 0, nullptr}, &callbacks_, this);
    ASSERT_NE(window_, nullptr);
    tree_ = NativeTreeViewCreate(window_, {10, 10, 300, 200}, 101, 0);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    PumpIdle();
  }
  void TearDown() override {
    DestroyWindow(window_);
    NativeUnregisterWindowClass(kClass);
  }

  void PressKey(WORD key) {
    SetForegroundWindow(window_);
    ui_driver::SendKeys({{key, false}, {key, true}});
    PumpIdle();
  }
  static void PumpIdle() {
    for (int i = 0; i < 100 && NativeWaitMessages(20) != NativeWaitResult::Timeout; ++i) {
    }
  }

  static bool Populate(void* context, HWND, const NativeControlMessageRecord& m, LRESULT*) {
    HTREEITEM item =
        m.message == WM_NOTIFY ? NativeTreeItemToPopulate(reinterpret_cast<const NMHDR*>(m.lparam)) : nullptr;
    if (item == nullptr) return false;
    ++static_cast<NativeWindowTest*>(context)->populations_;
    for (const wchar_t* name : {L"alpha", L"beta"}) NativeTreeAdd(m.control, {item, nullptr, name, -1, 7, false});
    return true;
  }
  NativeWindowCallbacks callbacks_ = {};

  HWND window_ = nullptr, tree_ = nullptr;
  std::vector<UINT> densities_;
  int populations_ = 0;
};

// The window and folder tree tests see the other callbacks; a new density comes only from the system.
TEST_F(NativeWindowTest, ANewDensityTakesTheSuggestedRectangleAndIsReported) {
  RECT suggested = {50, 60, 50 + 900, 60 + 650};
  SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now;
  GetWindowRect(window_, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  EXPECT_EQ(densities_, std::vector<UINT>{144});
}

TEST_F(NativeWindowTest, WakeUpEndsABlockedWaitFromAnotherThread) {
  std::thread waker([] {
    Sleep(50);
    NativeWakeWait();
  });
  // The limit only keeps a broken wake-up from hanging the run.
  const NativeWaitResult r = NativeWaitMessages(10000);
  waker.join();
  EXPECT_EQ(r, NativeWaitResult::WakeUp);
}

TEST(NativeMessageFont, ScalesWithTheDensity) {
  int heights[2];
  for (int i = 0; i < 2; ++i) {
    HFONT font = NativeMessageFont(96 * (i + 1));
    LOGFONTW f = {};
    ASSERT_TRUE(GetObjectW(font, sizeof f, &f));
    heights[i] = std::abs(f.lfHeight);
    DeleteObject(font);
  }
  EXPECT_GT(heights[0], 0);
  EXPECT_NEAR(heights[1], 2 * heights[0], 1);
}

TEST_F(NativeWindowTest, ATreeItemIsPopulatedOnItsFirstExpansionOnly) {
  HTREEITEM root = NativeTreeAdd(tree_, {nullptr, nullptr, L"C:", -1, 42, true});
  ASSERT_TRUE(NativeTreeSelect(tree_, root));
  SetFocus(tree_);
  const struct {
    WORD key;
    bool expanded;
  } steps[] = {{VK_RIGHT, true}, {VK_LEFT, false}, {VK_RIGHT, true}};
  for (const auto& step : steps) {
    PressKey(step.key);
    EXPECT_EQ(populations_, 1) << step.key;
    EXPECT_EQ(NativeTreeIsExpanded(tree_, root), step.expanded) << step.key;
  }
  HTREEITEM child = NativeTreeFirstChild(tree_, root);
  EXPECT_EQ(NativeTreeText(tree_, NativeTreeNextSibling(tree_, child)), L"beta");
  PressKey(VK_DOWN);
  EXPECT_EQ(NativeTreeSelection(tree_), child);

  // An item found empty loses its button and stays closed.
  HTREEITEM empty = NativeTreeAdd(tree_, {nullptr, nullptr, L"D:", -1, 0, true});
  NativeTreeSetHasChildren(tree_, empty, false);
  EXPECT_FALSE(NativeTreeExpand(tree_, empty, true));
  EXPECT_FALSE(NativeTreeIsExpanded(tree_, empty));
}

TEST(NativeShell, DriveCIsAReadyFixedDrive) {
  bool c_ready = false;
  for (const NativeDriveRecord& d : NativeDrives()) c_ready |= d.letter == L'C' && d.ready && d.type == DRIVE_FIXED;
  EXPECT_TRUE(c_ready);
}

}  // namespace
}  // namespace ui_win32_test
