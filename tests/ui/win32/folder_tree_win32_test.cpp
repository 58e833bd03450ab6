// Folder trees over drive letters: the hooks fake the drives (C: is the real one, M: and N: exist only
// in the hook); the documents folder is the system's own.
#include <windows.h>

#include <dbt.h>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/widget_test_support.h"
#include "ui/folder_tree.h"
#include "ui/win32/win32_ui.h"

namespace ui {
namespace {

namespace drive = ui_driver;
using Kinds = std::vector<uint32_t>;

constexpr int64_t kTree = 1;

std::vector<MountEntry> g_drives;

Text g_empty_drive;  // a drive without a medium
int FakeSpaceQuery(TextView root) { return root == g_empty_drive ? ERROR_NOT_READY : 0; }

const MountEntry kDriveC{u"C:\\", u"", u"", u"SYSTEM"};
const MountEntry kDriveM{u"M:\\", u"", u"", u"STICK"};
const MountEntry kDriveN{u"n:", u"", u"", u"DISK"};

// The computer's children: drives, the documents, drives that came later.
int64_t Drive(int64_t index) { return drive::ChildAt(kTree, 0, index); }

Kinds DriveKinds() {
  Kinds kinds;
  for (int64_t i = 0; i < drive::ChildCount(kTree, 0); ++i) kinds.push_back(TagKind(drive::ItemTag(kTree, Drive(i))));
  return kinds;
}

bool Populated(int64_t item) { return TagIsPopulated(drive::ItemTag(kTree, item)); }

class FolderTreeWin32Test : public widgettest::WindowTest {
 protected:
  static void SetUpTestSuite() {
    SetMountTableReader([] { return g_drives; });
    SetVolumeSpaceQuery(FakeSpaceQuery);
  }
  void SetUp() override {
    WindowTest::SetUp();
    g_drives = {kDriveM, kDriveC};  // the tree orders them by letter
    g_empty_drive.clear();
    FolderTreeMountsChanged();
    data_.Write("Data/Photos/a.JPG", "x");
    data_.Write("Data/alpha.jpg", "x");
    data_.Mkdir("Data/Empty");
    data_.Mkdir("Data/Nested/Inner");
  }

  Text DataPath() const { return platform::Utf8ToUtf16(data_.str()) + u"\\Data\\"; }

  static void Create(TextView path = u"") {
    WidgetDestroy(kTree);
    EXPECT_NE(FolderTreeCreate(kTree, 10, 10, 400, 300, path, 0), 0);
    drive::Process();
  }

  testsupport::TempDir data_;
};

// Names that differ only in case cannot sit side by side here, so no exact match is preferred.
TEST_F(FolderTreeWin32Test, SelectingAPathIgnoresCaseAndTakesTheDriveLetterInUpperCase) {
  Create();
  const Text data = DataPath();
  const struct {
    Text set, shown;
  } steps[] = {
      {runtime::TextLower(data) + u"photos\\", data + u"Photos\\"},
      {data + u"NESTED/inner/", data + u"Nested\\Inner\\"},
      {data + u"Missing\\Deeper\\", data + u"Nested\\Inner\\"},
      {data + u"Photos\\a.JPG", data + u"Photos\\"},
      {u"", u""},
  };
  for (const auto& step : steps) {
    WidgetSetText(kTree, step.set);
    EXPECT_EQ(WidgetText(kTree), step.shown) << runtime::TextToUtf8(step.set);
  }
}

TEST_F(FolderTreeWin32Test, AFolderIsListedOnceFoldersBeforeFiles) {
  Create(DataPath());
  const int64_t data = drive::SelectedItems(kTree).at(0);
  const int64_t empty = drive::ChildAt(kTree, data, 0), photos = drive::ChildAt(kTree, data, 2);
  EXPECT_EQ(drive::ShownItemText(kTree, photos), u"Photos");
  EXPECT_EQ(drive::ShownItemText(kTree, drive::ChildAt(kTree, data, 3)), u"alpha.jpg");
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, empty));
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, photos));  // files only

  // Listed once: a file that came later shows only after a fresh listing.
  data_.Write("Data/late.jpg", "x");
  WidgetSetText(kTree, DataPath());
  drive::ExpandItem(kTree, data);
  EXPECT_EQ(drive::ChildCount(kTree, data), 4);
}

TEST_F(FolderTreeWin32Test, ADriveWithoutAMediumPromptsAndIsAskedAgainNextTime) {
  g_empty_drive = u"M:\\";
  Create();
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_FALSE(drive::ItemExpanded(kTree, Drive(1)));
  EXPECT_TRUE(drive::DrivePromptOpen(0));
  EXPECT_FALSE(drive::WidgetEnabled(kTree));
  drive::CancelDrivePrompt(0);
  EXPECT_FALSE(drive::DrivePromptOpen(0));
  EXPECT_TRUE(drive::WidgetEnabled(kTree));

  // Not ready is not remembered: the medium inserted since is found.
  g_empty_drive.clear();
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_TRUE(Populated(Drive(1)));

  // Setting a text closes an open prompt.
  g_empty_drive = u"M:\\";
  Create();
  drive::ExpandItem(kTree, Drive(1));
  ASSERT_TRUE(drive::DrivePromptOpen(0));
  WidgetSetText(kTree, u"");
  EXPECT_FALSE(drive::DrivePromptOpen(0));
  EXPECT_TRUE(drive::WidgetEnabled(kTree));
}

// The control reports a left click before it selects; the tree reports the selection first, as everywhere.
TEST_F(FolderTreeWin32Test, AClickReportsTheSelectionItCausesFirst) {
  using Events = std::vector<std::pair<int64_t, int64_t>>;
  Create();
  widgettest::DrainWidgetEvents();
  const auto click = [](int64_t item, drive::Mouse button) {
    drive::ClickAt(kTree, ui_test::ItemCentre(kTree, item), button);
    return widgettest::DrainWidgetEvents();
  };
  EXPECT_EQ(click(Drive(1), drive::Mouse::Left), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventLeftClick}}));
  EXPECT_EQ(click(Drive(1), drive::Mouse::Left), (Events{{kTree, WidgetEventLeftClick}}));
  // The right button selects the item first, so the tree's text is the item clicked.
  EXPECT_EQ(click(Drive(0), drive::Mouse::Right), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventRightClick}}));
  EXPECT_EQ(WidgetText(kTree), u"C:\\");
}

TEST_F(FolderTreeWin32Test, TheComputerHoldsTheDrivesInLetterOrderThenTheDocumentsAndFollowsDeviceChanges) {
  Create();
  EXPECT_TRUE(drive::ItemExpanded(kTree, 0));
  EXPECT_EQ(DriveKinds(), (Kinds{2, 12, kTagHome}));
  EXPECT_EQ(drive::ShownItemText(kTree, Drive(0)), u"SYSTEM (C:)");
  const Text documents = ItemText(kTree, Drive(2), 0);
  EXPECT_TRUE(documents.size() > 3 && documents.substr(1, 2) == u":\\" && documents.back() == u'\\');

  drive::ExpandItem(kTree, Drive(0));
  const struct {
    std::vector<MountEntry> drives;
    WPARAM event;
    DWORD units;
    Kinds kinds;
    bool c_listed;
  } steps[] = {
      // N: arrives: its item goes last, after the documents.
      {{kDriveC, kDriveM, kDriveN}, DBT_DEVICEARRIVAL, 1u << 13, {2, 12, kTagHome, 13}, true},
      // M: leaves; the others keep their items.
      {{kDriveC, kDriveN}, DBT_DEVICEREMOVECOMPLETE, 1u << 12, {2, kTagHome, 13}, true},
      // A new medium in C: empties its item for a fresh listing.
      {{kDriveC, kDriveN}, DBT_DEVICEARRIVAL, 1u << 2, {2, kTagHome, 13}, false},
  };
  for (const auto& step : steps) {
    g_drives = step.drives;
    DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, step.units, 0};
    SendMessageW(Win32Window(0), WM_DEVICECHANGE, step.event, reinterpret_cast<LPARAM>(&volume));
    EXPECT_EQ(DriveKinds(), step.kinds) << step.units;
    EXPECT_EQ(Populated(Drive(0)), step.c_listed) << step.units;
  }
  EXPECT_EQ(drive::ChildCount(kTree, Drive(0)), 0);
  WidgetSetText(kTree, u"n:\\");
  EXPECT_EQ(WidgetText(kTree), u"N:\\");
}

}  // namespace
}  // namespace ui
