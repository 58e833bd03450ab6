// The window procedure, the message loop and real input under wine.
#include "tests/ui/win32/native_test_window.h"

#include <dbt.h>

#include <thread>

namespace ui_win32_test {
namespace {

TEST_F(NativeWindowTest, ClientAreaHasTheAskedSize) {
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
}

TEST_F(NativeWindowTest, ButtonClickReachesTheCallbacksAsItsCommand) {
  ClickAt(button_, {20, 14});
  EXPECT_EQ(CountOf(Call::Control, WM_COMMAND, BN_CLICKED), 1);
  EXPECT_EQ(calls_.back().control, button_);
}

TEST_F(NativeWindowTest, ClicksOnTheClientAreaItselfAreReported) {
  ClickAt(window_, {400, 300});
  ClickAt(window_, {400, 300}, true);
  EXPECT_EQ(CountOf(Call::Click, 0, static_cast<int64_t>(NativeClickKind::LeftUp)), 3);
  EXPECT_EQ(CountOf(Call::Click, 0, static_cast<int64_t>(NativeClickKind::LeftDouble)), 1);
}

TEST_F(NativeWindowTest, TabCyclesOverTheControlsInCreationOrder) {
  SetFocus(button_);
  const HWND forward[] = {list_box_, list_view_, tree_, button_};
  for (HWND expected : forward) {
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), expected);
  }
  const HWND backward[] = {tree_, list_view_};
  for (HWND expected : backward) {
    PressKey(VK_TAB, true);
    EXPECT_EQ(GetFocus(), expected);
  }
  // A disabled control is passed over.
  EnableWindow(list_box_, FALSE);
  SetFocus(button_);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), list_view_);
}

TEST_F(NativeWindowTest, CloseBoxAsksAndTheWindowStays) {
  PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(PumpUntil([&] { return CountOf(Call::Close) == 1; }));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(NativeWindowTest, DeviceChangeReachesTheCallback) {
  // The system sends it (it carries a pointer, so it cannot be posted), as wine's mount manager does.
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;
  for (WPARAM event : {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}) {
    EXPECT_EQ(SendMessageW(window_, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume)), TRUE);
  }
  EXPECT_EQ(CountOf(Call::Device, 0, DBT_DEVICEARRIVAL), 1);
  EXPECT_EQ(CountOf(Call::Device, 0, DBT_DEVICEREMOVECOMPLETE), 1);
}

TEST_F(NativeWindowTest, SizeChangesReportTheirKind) {
  struct Case {
    int show;
    NativeSizeKind kind;
  };
  const Case cases[] = {{SW_MAXIMIZE, NativeSizeKind::Maximized},
                        {SW_RESTORE, NativeSizeKind::Restored},
                        {SW_MINIMIZE, NativeSizeKind::Minimized},
                        {SW_RESTORE, NativeSizeKind::Restored}};
  for (const Case& c : cases) {
    calls_.clear();
    ShowWindow(window_, c.show);
    PumpIdle();
    EXPECT_GE(CountOf(Call::Size, 0, static_cast<int64_t>(c.kind)), 1) << "show command " << c.show;
  }
}

TEST_F(NativeWindowTest, DensityChangeTakesTheSuggestedRectangle) {
  RECT suggested = {50, 60, 50 + 900, 60 + 650};
  SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now;
  GetWindowRect(window_, &now);
  EXPECT_EQ(now.left, 50);
  EXPECT_EQ(now.top, 60);
  EXPECT_EQ(now.right - now.left, 900);
  EXPECT_EQ(now.bottom - now.top, 650);
  EXPECT_EQ(CountOf(Call::Density, 0, 144), 1);
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

TEST_F(NativeWindowTest, NumbersAreNamedWindowProperties) {
  EXPECT_EQ(NativeNumber(window_, L"VX_WindowID"), 0);
  ASSERT_TRUE(NativeSetNumber(window_, L"VX_WindowID", 8));
  EXPECT_EQ(NativeNumber(window_, L"VX_WindowID"), 8);
  NativeRemoveNumber(window_, L"VX_WindowID");
  EXPECT_EQ(NativeNumber(window_, L"VX_WindowID"), 0);
}

TEST_F(NativeWindowTest, DensityIsTheScreensAndScalesTheMessageFont) {
  EXPECT_EQ(NativeWindowDpi(window_), NativeScreenDpiX());
  EXPECT_EQ(NativeWindowDpi(nullptr), NativeScreenDpiX());
  int heights[2];
  const UINT dpis[2] = {96, 192};
  for (int i = 0; i < 2; ++i) {
    HFONT font = NativeMessageFont(dpis[i]);
    LOGFONTW f = {};
    ASSERT_TRUE(GetObjectW(font, sizeof f, &f));
    heights[i] = f.lfHeight < 0 ? -f.lfHeight : f.lfHeight;
    DeleteObject(font);
  }
  EXPECT_GT(heights[0], 0);
  EXPECT_NEAR(heights[1], 2 * heights[0], 1);
}

TEST(NativeScale, RoundsHalvesAwayFromZero) {
  struct Case {
    int value;
    UINT dpi;
    int scaled;
  };
  const Case cases[] = {{600, 96, 600}, {600, 144, 900}, {1, 144, 2},   {-1, 144, -2}, {3, 120, 4},
                        {5, 120, 6},    {2, 120, 3},     {-2, 120, -3}, {0, 192, 0},   {-65535, 96, -65535}};
  for (const Case& c : cases) {
    EXPECT_EQ(NativeScale(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
  }
}

}  // namespace
}  // namespace ui_win32_test
