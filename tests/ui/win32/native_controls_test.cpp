// The common controls under real input, and what the shell tells about drives and folders.
#include <thread>

#include "tests/ui/win32/native_test_window.h"

#include <shellapi.h>

namespace ui_win32_test {
namespace {

TEST_F(NativeWindowTest, ButtonKeepsItsCaptionExactly) { EXPECT_EQ(NativeWindowText(button_), L" p r o c e s s "); }

TEST_F(NativeWindowTest, ListBoxRowClickSelectsAndNotifies) {
  for (const wchar_t* text : {L"image list", L"second"}) NativeListBoxAdd(list_box_, -1, text);
  EXPECT_EQ(NativeListBoxCount(list_box_), 2);
  EXPECT_EQ(NativeListBoxText(list_box_, 1), L"second");
  EXPECT_EQ(NativeListBoxText(list_box_, 2), L"");
  const int row_height = static_cast<int>(SendMessageW(list_box_, LB_GETITEMHEIGHT, 0, 0));
  ClickAt(list_box_, {20, row_height + row_height / 2});
  EXPECT_EQ(NativeListBoxSelection(list_box_), 1);
  EXPECT_EQ(CountOf(Call::Control, WM_COMMAND, LBN_SELCHANGE), 1);
  NativeListBoxClear(list_box_);
  EXPECT_EQ(NativeListBoxSelection(list_box_), -1);
}

TEST_F(NativeWindowTest, ListViewRowsHoldTheirCellsAndClicksSelectThem) {
  ASSERT_TRUE(NativeListViewAddColumn(list_view_, 0, L"Name", 200));
  ASSERT_TRUE(NativeListViewAddColumn(list_view_, -1, L"Size", 100));
  EXPECT_EQ(NativeListViewColumnCount(list_view_), 2);
  EXPECT_EQ(NativeListViewAddRow(list_view_, -1, {L"a.png", L"1234"}, -1), 0);
  EXPECT_EQ(NativeListViewAddRow(list_view_, -1, {L"b.gif"}, -1), 1);
  EXPECT_EQ(NativeListViewAddRow(list_view_, 0, {L"first"}, -1), 0);
  const struct {
    int row, column;
    const wchar_t* text;
  } cells[] = {{0, 0, L"first"}, {1, 0, L"a.png"}, {1, 1, L"1234"}, {2, 0, L"b.gif"}, {2, 1, L""}, {3, 0, L""}};
  for (const auto& c : cells) EXPECT_EQ(NativeListViewText(list_view_, c.row, c.column), c.text);

  RECT row;
  row.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(list_view_, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  ClickAt(list_view_, {row.left + 250, (row.top + row.bottom) / 2});  // the Size cell: full-row select
  EXPECT_EQ(NativeListViewSelection(list_view_), 1);
  EXPECT_GE(CountOf(Call::Control, WM_NOTIFY, LVN_ITEMCHANGED), 1);
  EXPECT_EQ(CountOf(Call::Control, WM_NOTIFY, NM_CLICK), 1);
  NativeListViewClear(list_view_);
  EXPECT_EQ(NativeListViewSelection(list_view_), -1);
  EXPECT_EQ(NativeListViewText(list_view_, 0, 0), L"");
}

TEST_F(NativeWindowTest, TreeItemIsPopulatedOnItsFirstExpansionOnly) {
  ASSERT_TRUE(NativeTreeSelect(tree_, root_item_));
  SetFocus(tree_);
  for (WORD key : {VK_RIGHT, VK_LEFT, VK_RIGHT}) PressKey(key);
  EXPECT_EQ(populations_, 1);
  EXPECT_TRUE(NativeTreeIsExpanded(tree_, root_item_));
  HTREEITEM child = NativeTreeFirstChild(tree_, root_item_);
  EXPECT_EQ(NativeTreeText(tree_, child), L"alpha");
  EXPECT_EQ(NativeTreeText(tree_, NativeTreeNextSibling(tree_, child)), L"beta");
  EXPECT_EQ(NativeTreeData(tree_, child), 7);
  EXPECT_EQ(NativeTreeData(tree_, root_item_), 42);
  PressKey(VK_DOWN);
  EXPECT_EQ(NativeTreeSelection(tree_), child);
}

TEST_F(NativeWindowTest, TreeItemFoundEmptyLosesItsButton) {
  HTREEITEM empty = NativeTreeAdd(tree_, {nullptr, nullptr, L"D:", -1, 0, true});
  NativeTreeSetHasChildren(tree_, empty, false);
  EXPECT_FALSE(NativeTreeExpand(tree_, empty, true));
  EXPECT_FALSE(NativeTreeIsExpanded(tree_, empty));
}

TEST_F(NativeWindowTest, IconsGoIntoImageLists) {
  HIMAGELIST images = NativeImageListCreate(16, 16);
  ASSERT_NE(images, nullptr);
  HICON folder = NativeStockIcon(SIID_FOLDER);
  HICON shell = NativeShellIcon(L"C:\\");
  EXPECT_EQ(NativeStockIcon(-5), nullptr);
  ASSERT_NE(shell, nullptr);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(NativeImageListAdd(images, folder), 0);
  EXPECT_EQ(NativeImageListAdd(images, shell), 1);
  EXPECT_EQ(NativeImageListAdd(images, nullptr), -1);
  NativeTreeSetImages(tree_, images);
  EXPECT_TRUE(NativeTreeAdd(tree_, {nullptr, nullptr, L"E:", 1, 0, false}) != nullptr);
  NativeTreeSetImages(tree_, nullptr);
  DestroyIcon(folder);
  DestroyIcon(shell);
  ImageList_Destroy(images);
}

// Answers the first dialog box of this process that appears with a command, from another thread.
void AnswerDialog(int command) {
  for (int i = 0; i < 200; ++i) {
    HWND box = FindWindowW(L"#32770", nullptr);
    DWORD pid = 0;
    if (box) GetWindowThreadProcessId(box, &pid);
    if (box && pid == GetCurrentProcessId()) {
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(command), 0);
      return;
    }
    Sleep(25);
  }
}

TEST_F(NativeWindowTest, MessageBoxAnswersWithTheButtonId) {
  std::thread answer(AnswerDialog, IDCANCEL);
  const int r = NativeMessageBox(window_, L"scene-builder", L"?????", MB_OKCANCEL | MB_ICONQUESTION);
  answer.join();
  EXPECT_EQ(r, IDCANCEL);
}

TEST_F(NativeWindowTest, DrivePromptCancelAnswersOnce) {
  static int cancelled;
  cancelled = 0;
  const NativeDrivePromptCallbacks callbacks = {[](void*, HWND) { ++cancelled; }};
  HWND prompt = NativeDrivePromptOpen(window_, L"Drive A: is not ready.", nullptr, &callbacks, nullptr);
  ASSERT_NE(prompt, nullptr);
  HWND cancel = GetDlgItem(prompt, kDrivePromptCancel);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(NativeWindowText(cancel), L"Cancel");
  SetForegroundWindow(prompt);
  POINT centre = {10, 10};
  ClientToScreen(cancel, &centre);
  INPUT clicks[2] = {};
  for (int i = 0; i < 2; ++i) {
    clicks[i].type = INPUT_MOUSE;
    clicks[i].mi.dx = MulDiv(centre.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    clicks[i].mi.dy = MulDiv(centre.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    clicks[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | (i ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
  }
  SendInput(2, clicks, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(prompt); }));
  EXPECT_EQ(cancelled, 1);
}

TEST(NativeShell, DrivesAndDocumentsFolder) {
  const std::vector<NativeDriveRecord> drives = NativeDrives();
  bool has_c = false;
  for (const NativeDriveRecord& d : drives) {
    if (d.letter == L'C') has_c = d.ready && d.type == DRIVE_FIXED;
  }
  EXPECT_TRUE(has_c);
  const std::wstring documents = NativeDocumentsFolder();
  EXPECT_GT(documents.size(), 3u);
  EXPECT_NE(GetFileAttributesW(documents.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace ui_win32_test
