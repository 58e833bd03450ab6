// A real top-level window with one of every native control, the callbacks it received, and
// input that goes through the system's own queue.
//
// Input: SendInput, after bringing the window to the foreground, is what the controls see as a
// user's clicks and keys (capture, focus, key state all follow). Under wine on a display with no
// window manager it is delivered as long as the window is the foreground one, which the fixture
// makes it before every action.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"

namespace ui_win32_test {

using namespace ui::win32;

// One callback call, reduced to what the tests compare.
struct Call {
  enum Kind { Close, Activate, Move, Size, Repaint, Click, Control, Device, Density };
  Kind kind;
  HWND control;    // for Control
  UINT message;    // for Control: WM_COMMAND or WM_NOTIFY
  int64_t detail;  // notification code, size or click kind, device event, active flag
};

enum ControlId { kButtonId = 101, kListBoxId, kListViewId, kTreeId };

// Members are public so that the plain callback table can record into them.
class NativeWindowTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // Handles messages until `done` or a bound of a few seconds; returns done().
  bool PumpUntil(const std::function<bool()>& done);
  void PumpIdle();
  int CountOf(Call::Kind kind, UINT message = 0, int64_t detail = -1) const;

  // Real input, aimed at a point of a control's client area.
  void ClickAt(HWND control, POINT client, bool twice = false);
  void PressKey(WORD key, bool shift = false);

  HWND window_ = nullptr;
  HWND button_ = nullptr, list_box_ = nullptr, list_view_ = nullptr, tree_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<Call> calls_;
  int populations_ = 0;
  HTREEITEM root_item_ = nullptr;
};

}  // namespace ui_win32_test
