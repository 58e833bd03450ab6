// The native layer under wine where the window tests do not reach it: a new density from the system,
// the message loop's wake-up and the drives.
#include <gtest/gtest.h>

#include <thread>

#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"

namespace ui_win32_test {
namespace {

using namespace ui::win32;

constexpr wchar_t kClass[] = L"NativeLayerTestClass";

// A window of the layer's own class.
struct NativeWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(NativeInitControls());
    ASSERT_TRUE(NativeInitMessageLoop());
    ASSERT_TRUE(NativeRegisterWindowClass(kClass));
    callbacks_.DensityChanged = [](void* c, HWND, UINT dpi) { static_cast<NativeWindowTest*>(c)->density_ = dpi; };
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    window_ = NativeWindowCreate({kClass, L"native", 40, 40, 600, 400, style, 0, nullptr}, &callbacks_, this);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    NativeUnregisterWindowClass(kClass);
  }

  NativeWindowCallbacks callbacks_ = {};
  HWND window_ = nullptr;
  UINT density_ = 0;
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

TEST(NativeShell, DriveCIsAReadyFixedDrive) {
  bool c_ready = false;
  for (const NativeDriveRecord& d : NativeDrives()) c_ready |= d.letter == L'C' && d.ready && d.type == DRIVE_FIXED;
  EXPECT_TRUE(c_ready);
}

}  // namespace
}  // namespace ui_win32_test
