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
using Names = std::vector<Text>;

constexpr int64_t kTree = 1;

std::vector<MountEntry> g_drives;
std::vector<MountEntry> FakeDrives() { return g_drives; }

Text g_empty_drive;  // a drive without a medium
int FakeSpaceQuery(TextView root) { return root == g_empty_drive ? ERROR_NOT_READY : 0; }

const MountEntry kDriveC{u"C:\\", u"", u"", u"SYSTEM"};
const MountEntry kDriveM{u"M:\\", u"", u"", u"STICK"};
const MountEntry kDriveN{u"n:", u"", u"", u"DISK"};

Names ChildNames(int64_t item) {
  Names names;
  for (int64_t i = 0; i < drive::ChildCount(kTree, item); ++i) {
    names.push_back(drive::ShownItemText(kTree, drive::ChildAt(kTree, item, i)));
  }
  return names;
}

// The computer's children: drives, the documents, drives that came later.
int64_t Drive(int64_t index) { return drive::ChildAt(kTree, 0, index); }

std::vector<uint32_t> DriveKinds() {
  std::vector<uint32_t> kinds;
  for (int64_t i = 0; i < drive::ChildCount(kTree, 0); ++i) kinds.push_back(TagKind(drive::ItemTag(kTree, Drive(i))));
  return kinds;
}

bool Populated(int64_t item) { return TagIsPopulated(drive::ItemTag(kTree, item)); }

class FolderTreeWin32Test : public widgettest::WindowTest {
 protected:
  static void SetUpTestSuite() {
    SetMountTableReader(FakeDrives);
    SetVolumeSpaceQuery(FakeSpaceQuery);
  }
  void SetUp() override {
    WindowTest::SetUp();
    g_drives = {kDriveM, kDriveC};  // the tree orders them by letter
    g_empty_drive.clear();
    FolderTreeMountsChanged();
    for (const char* file : {"Data/Photos/a.JPG", "Data/Photos/b.png", "Data/alpha.jpg"}) data_.Write(file, "x");
    data_.Mkdir("Data/Empty");
    data_.Mkdir("Data/Nested/Inner");
  }

  Text DataPath() const { return platform::Utf8ToUtf16(data_.str()) + u"\\Data\\"; }

  static void Create(uint32_t flags = 0, TextView path = u"") {
    WidgetDestroy(kTree);
    EXPECT_NE(FolderTreeCreate(kTree, 10, 10, 400, 300, path, flags), 0);
    drive::Process();
  }

  testsupport::TempDir data_;
};

TEST_F(FolderTreeWin32Test, TheComputerHoldsItsDrivesInLetterOrderThenTheDocuments) {
  Create();
  EXPECT_EQ(drive::ItemTag(kTree, 0), kTagComputer);
  EXPECT_TRUE(drive::ItemExpanded(kTree, 0));
  EXPECT_EQ(DriveKinds(), (std::vector<uint32_t>{2, 12, kTagHome}));
  EXPECT_EQ(ChildNames(0)[0], u"SYSTEM (C:)");
  EXPECT_EQ(ChildNames(0)[1], u"STICK (M:)");
  EXPECT_EQ(ItemText(kTree, 1, 0), u"C:\\");
  EXPECT_EQ(ItemText(kTree, 2, 0), u"M:\\");
  const Text documents = ItemText(kTree, 3, 0);
  EXPECT_TRUE(documents.size() > 3 && documents.substr(1, 2) == u":\\" && documents.back() == u'\\');

  Create(kTreeNoHome);
  EXPECT_EQ(DriveKinds(), (std::vector<uint32_t>{2, 12}));
}

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
      {u"q:\\nowhere\\", data + u"Nested\\Inner\\"},
      {data + u"Photos\\a.JPG", data + u"Photos\\"},
      {u"", u""},
  };
  for (const auto& step : steps) {
    WidgetSetText(kTree, step.set);
    EXPECT_EQ(WidgetText(kTree), step.shown) << runtime::TextToUtf8(step.set);
  }
}

TEST_F(FolderTreeWin32Test, AFolderIsListedOnceFoldersBeforeFiles) {
  Create(0, DataPath());
  const int64_t data = drive::SelectedItems(kTree).at(0);
  EXPECT_TRUE(drive::ItemExpanded(kTree, data));
  EXPECT_EQ(ChildNames(data), (Names{u"Empty", u"Nested", u"Photos", u"alpha.jpg"}));
  EXPECT_TRUE(Populated(data));
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, drive::ChildAt(kTree, data, 0)));
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, drive::ChildAt(kTree, data, 2)));  // files only
  EXPECT_EQ(drive::ItemTag(kTree, drive::ChildAt(kTree, data, 3)), kTagFile);

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
  EXPECT_FALSE(Populated(Drive(1)));
  EXPECT_TRUE(drive::DrivePromptOpen(0));
  EXPECT_FALSE(drive::WidgetEnabled(kTree));
  drive::CancelDrivePrompt(0);
  EXPECT_FALSE(drive::DrivePromptOpen(0));
  EXPECT_TRUE(drive::WidgetEnabled(kTree));

  // Not ready is not remembered: the medium inserted since is found.
  g_empty_drive.clear();
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_TRUE(Populated(Drive(1)));

  // Never with the flag; setting a text closes an open prompt.
  g_empty_drive = u"M:\\";
  Create(kTreeNoDrivePrompt);
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_FALSE(drive::DrivePromptOpen(0));
  Create();
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_TRUE(drive::DrivePromptOpen(0));
  WidgetSetText(kTree, u"");
  EXPECT_FALSE(drive::DrivePromptOpen(0));
  EXPECT_TRUE(drive::WidgetEnabled(kTree));
}

// The control reports a left click before it selects; the tree reports the selection first, as everywhere.
TEST_F(FolderTreeWin32Test, AClickReportsTheSelectionItCausesFirst) {
  using Events = std::vector<std::pair<int64_t, int64_t>>;
  Create();
  widgettest::DrainWidgetEvents();
  const struct {
    int64_t item;
    drive::Mouse button;
    Events events;
  } steps[] = {
      {Drive(1), drive::Mouse::Left, {{kTree, WidgetEventChange}, {kTree, WidgetEventLeftClick}}},
      {Drive(1), drive::Mouse::Left, {{kTree, WidgetEventLeftClick}}},
      // The right button selects the item first, so the tree's text is the item clicked.
      {Drive(0), drive::Mouse::Right, {{kTree, WidgetEventChange}, {kTree, WidgetEventRightClick}}},
  };
  for (const auto& step : steps) {
    drive::ClickAt(kTree, ui_test::ItemCentre(kTree, step.item), step.button);
    EXPECT_EQ(widgettest::DrainWidgetEvents(), step.events) << step.item;
  }
  EXPECT_EQ(WidgetText(kTree), u"C:\\");
}

TEST_F(FolderTreeWin32Test, DeviceChangesAddRemoveAndRefreshDrives) {
  Create();
  drive::ExpandItem(kTree, Drive(0));
  ASSERT_TRUE(Populated(Drive(0)));
  const struct {
    std::vector<MountEntry> drives;
    WPARAM event;
    DWORD units;
    std::vector<uint32_t> kinds;
    bool c_populated;
  } steps[] = {
      // N: arrives: its item goes last, after the documents.
      {{kDriveC, kDriveM, kDriveN}, DBT_DEVICEARRIVAL, 1u << 13, {2, 12, kTagHome, 13}, true},
      // M: leaves; the others keep their items.
      {{kDriveC, kDriveN}, DBT_DEVICEREMOVECOMPLETE, 1u << 12, {2, kTagHome, 13}, true},
      // A new medium in C: empties its item for a fresh listing.
      {{kDriveC, kDriveN}, DBT_DEVICEARRIVAL, 1u << 2, {2, kTagHome, 13}, false},
      // Without a message the hook's own reading finds M: back.
      {{kDriveC, kDriveM, kDriveN}, 0, 0, {2, kTagHome, 13, 12}, false},
  };
  for (const auto& step : steps) {
    g_drives = step.drives;
    // What the system tells the window when volumes come or go.
    DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, step.units, 0};
    if (step.event) SendMessageW(Win32Window(0), WM_DEVICECHANGE, step.event, reinterpret_cast<LPARAM>(&volume));
    if (!step.event) FolderTreeMountsChanged();
    EXPECT_EQ(DriveKinds(), step.kinds) << step.units;
    EXPECT_EQ(Populated(Drive(0)), step.c_populated) << step.units;
  }
  EXPECT_EQ(drive::ChildCount(kTree, Drive(0)), 0);
  WidgetSetText(kTree, u"n:\\");
  EXPECT_EQ(WidgetText(kTree), u"N:\\");
}

}  // namespace
}  // namespace ui
