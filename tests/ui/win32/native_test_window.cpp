#include "tests/ui/win32/native_test_window.h"
#include "tests/ui/win32/input.h"

namespace ui_win32_test {
namespace {

constexpr wchar_t kClass[] = L"NativeWindowTestClass";

NativeWindowTest* Test(void* context) { return static_cast<NativeWindowTest*>(context); }

void Record(void* c, Call call) { Test(c)->calls_.push_back(call); }

// Records the control's message; a tree item expanded for the first time gets two children, as
// the folder tree's lazy population will do.
bool Control(void* c, HWND, const NativeControlMessageRecord& m, LRESULT* result) {
  if (m.message != WM_COMMAND && m.message != WM_NOTIFY) return false;
  NativeWindowTest* t = Test(c);
  const auto* header = reinterpret_cast<const NMHDR*>(m.lparam);
  const int64_t code = m.message == WM_COMMAND ? HIWORD(m.wparam) : static_cast<int64_t>(header->code);
  t->calls_.push_back({Call::Control, m.control, m.message, code});
  if (HTREEITEM item = m.message == WM_NOTIFY ? NativeTreeItemToPopulate(header) : nullptr) {
    ++t->populations_;
    for (const wchar_t* name : {L"alpha", L"beta"}) NativeTreeAdd(m.control, {item, nullptr, name, -1, 7, false});
  }
  *result = 0;
  return true;
}

const NativeWindowCallbacks kCallbacks = {
    [](void* c, HWND) {
      Record(c, {Call::Close, nullptr, 0, 0});
    },
    [](void* c, HWND, bool active) {
      Record(c, {Call::Activate, nullptr, 0, active});
    },
    [](void* c, HWND) {
      Record(c, {Call::Move, nullptr, 0, 0});
    },
    [](void* c, HWND, NativeSizeKind k) {
      Record(c, {Call::Size, nullptr, 0, static_cast<int64_t>(k)});
    },
    [](void* c, HWND) {
      Record(c, {Call::Repaint, nullptr, 0, 0});
    },
    [](void* c, HWND, NativeClickKind k) {
      Record(c, {Call::Click, nullptr, 0, static_cast<int64_t>(k)});
    },
    Control,
    [](void* c, HWND, WPARAM event, LPARAM) {
      Record(c, {Call::Device, nullptr, 0, static_cast<int64_t>(event)});
    },
    [](void* c, HWND, UINT dpi) {
      Record(c, {Call::Density, nullptr, 0, dpi});
    },
    nullptr,
};

using ui_win32_input::KeyInput;
using ui_win32_input::MouseInput;
using ui_win32_input::SendInputs;

}  // namespace

void NativeWindowTest::SetUp() {
  ASSERT_TRUE(NativeInitControls());
  ASSERT_TRUE(NativeInitMessageLoop());
  ASSERT_TRUE(NativeRegisterWindowClass(kClass));
  NativeWindowRecord wanted = {kClass, L"native", 40, 40, 600, 400, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                               0,      nullptr};
  window_ = NativeWindowCreate(wanted, &kCallbacks, this);
  ASSERT_NE(window_, nullptr);
  font_ = NativeMessageFont(NativeWindowDpi(window_));
  button_ = NativeButtonCreate(window_, {10, 10, 120, 28}, kButtonId, L" p r o c e s s ", 0);
  list_box_ = NativeListBoxCreate(window_, {10, 50, 180, 100}, kListBoxId, 0);
  list_view_ = NativeListViewCreate(window_, {200, 10, 380, 150}, kListViewId, LVS_SINGLESEL);
  tree_ = NativeTreeViewCreate(window_, {10, 170, 300, 200}, kTreeId, 0);
  for (HWND c : {button_, list_box_, list_view_, tree_}) {
    ASSERT_NE(c, nullptr);
    NativeSetFont(c, font_);
  }
  root_item_ = NativeTreeAdd(tree_, {nullptr, nullptr, L"C:", -1, 42, true});
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  PumpIdle();
  calls_.clear();
}

void NativeWindowTest::TearDown() {
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
  NativeUnregisterWindowClass(kClass);
  PumpIdle();
}

bool NativeWindowTest::PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 100 && !done(); ++i) NativeWaitMessages(50);
  return done();
}

void NativeWindowTest::PumpIdle() {
  for (int i = 0; i < 100 && NativeWaitMessages(20) != NativeWaitResult::Timeout; ++i) {
  }
}

int NativeWindowTest::CountOf(Call::Kind kind, UINT message, int64_t detail) const {
  int n = 0;
  for (const Call& c : calls_) {
    n += c.kind == kind && (message == 0 || c.message == message) && (detail < 0 || c.detail == detail);
  }
  return n;
}

void NativeWindowTest::ClickAt(HWND control, POINT client, bool twice) {
  SetForegroundWindow(window_);
  ClientToScreen(control, &client);
  for (int i = 0; i < (twice ? 2 : 1); ++i) {
    SendInputs({MouseInput(MOUSEEVENTF_LEFTDOWN, client), MouseInput(MOUSEEVENTF_LEFTUP, client)});
  }
  PumpIdle();
}

void NativeWindowTest::PressKey(WORD key, bool shift) {
  SetForegroundWindow(window_);
  if (shift) SendInputs({KeyInput(VK_SHIFT, false)});
  SendInputs({KeyInput(key, false), KeyInput(key, true)});
  if (shift) SendInputs({KeyInput(VK_SHIFT, true)});
  PumpIdle();
}

}  // namespace ui_win32_test
