// The native layer under wine where the window tests do not reach it: a new density from the system,
// the message loop's wake-up, the tree control's lazy population and the drives.
#include <gtest/gtest.h>

#include <thread>

#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"

namespace ui_win32_test {
namespace {

using namespace ui::win32;

constexpr wchar_t kClass[] = L"NativeLayerTestClass";

void PumpIdle() {
  for (int i = 0; i < 100 && NativeWaitMessages(20) != NativeWaitResult::Timeout; ++i) continue;
}

// A window of the layer's own class with a tree view whose items get two children when first expanded.
struct NativeWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(NativeInitControls());
    ASSERT_TRUE(NativeInitMessageLoop());
    ASSERT_TRUE(NativeRegisterWindowClass(kClass));
    callbacks_.ControlMessage = Populate;
    callbacks_.DensityChanged = [](void* c, HWND, UINT dpi) { static_cast<NativeWindowTest*>(c)->density_ = dpi; };
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

  // A key as the user presses it: wine delivers the system's input to the foreground window only.
  void PressKey(BYTE key) {
    SetForegroundWindow(window_);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    PumpIdle();
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
  UINT density_ = 0;
  int populations_ = 0;
};

TEST_F(NativeWindowTest, ANewDensityTakesTheSuggestedRectangleAndIsReported) {
  RECT suggested = {50, 60, 50 + 900, 60 + 650};
  SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now;
  GetWindowRect(window_, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  EXPECT_EQ(density_, 144u);
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

TEST_F(NativeWindowTest, ATreeItemIsPopulatedOnItsFirstExpansionOnly) {
  HTREEITEM root = NativeTreeAdd(tree_, {nullptr, nullptr, L"C:", -1, 42, true});
  ASSERT_TRUE(NativeTreeSelect(tree_, root));
  SetFocus(tree_);
  for (BYTE key : {VK_RIGHT, VK_LEFT, VK_RIGHT}) {
    PressKey(key);
    EXPECT_EQ(populations_, 1) << int{key};
    EXPECT_EQ(NativeTreeIsExpanded(tree_, root), key == VK_RIGHT) << int{key};
  }
  EXPECT_EQ(NativeTreeText(tree_, NativeTreeNextSibling(tree_, NativeTreeFirstChild(tree_, root))), L"beta");
}

TEST(NativeShell, DriveCIsAReadyFixedDrive) {
  bool c_ready = false;
  for (const NativeDriveRecord& d : NativeDrives()) c_ready |= d.letter == L'C' && d.ready && d.type == DRIVE_FIXED;
  EXPECT_TRUE(c_ready);
}

}  // namespace
}  // namespace ui_win32_test
