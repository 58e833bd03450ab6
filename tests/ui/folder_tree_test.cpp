// Folder trees over the volumes that the mount-table and volume-space hooks report: Linux mount
// points (the root file system "/", a stick below the suite's folder) and Home as $HOME.
#include "ui/folder_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/widget_test_support.h"

namespace ui {
namespace {

namespace drive = ui_driver;
using testsupport::TempDir;
using widgettest::DrainWidgetEvents;
using Events = std::vector<std::pair<int64_t, int64_t>>;
using Names = std::vector<Text>;

constexpr int64_t kTree = 1;

Text U(const std::string& s) { return platform::Utf8ToUtf16(s); }

std::vector<MountEntry> g_volumes;
std::vector<MountEntry> FakeMountTable() { return g_volumes; }

// Drives that have no medium, and how often a drive was asked.
std::vector<Text> g_empty_drives;
int g_space_queries = 0;
int FakeSpaceQuery(TextView mount_point) {
  ++g_space_queries;
  return std::count(g_empty_drives.begin(), g_empty_drives.end(), mount_point) > 0 ? ENOMEDIUM : 0;
}

// Items by pre-order position: the shown names of an item's children, and the child shown as `name`.
Names ChildNames(int64_t item) {
  Names names;
  for (int64_t i = 0; i < drive::ChildCount(kTree, item); ++i) {
    names.push_back(drive::ShownItemText(kTree, drive::ChildAt(kTree, item, i)));
  }
  return names;
}

int64_t Child(int64_t item, TextView name) {
  const Names names = ChildNames(item);
  const auto at = std::find(names.begin(), names.end(), name);
  return at != names.end() ? drive::ChildAt(kTree, item, at - names.begin()) : -1;
}

int64_t Drive(int64_t index) { return drive::ChildAt(kTree, 0, index); }

int64_t Selected() {
  const std::vector<int64_t> s = drive::SelectedItems(kTree);
  return s.empty() ? -1 : s.front();
}

void ClickItem(int64_t item, drive::Mouse button = drive::Mouse::Left) {
  drive::ScrollToItem(kTree, item);
  drive::ClickAt(kTree, ui_test::ItemCentre(kTree, item), button);
}

void Key(drive::Key key) { drive::PressKeyOn(kTree, key); }

class FolderTreeTest : public widgettest::WindowTest {
 protected:
  static void SetUpTestSuite() {
    suite_dir_ = new TempDir;
    suite_dir_->Mkdir("usb/inside");
    suite_dir_->Mkdir("home");
    setenv("HOME", (suite_dir_->str() + "/home").c_str(), 1);
    SetMountTableReader(FakeMountTable);
    SetVolumeSpaceQuery(FakeSpaceQuery);
  }
  static void TearDownTestSuite() { delete suite_dir_; }
  void SetUp() override {
    WindowTest::SetUp();
    g_volumes = {{u"/", u"ext4", u"/dev/sda1", u""}, {StickMount(), u"vfat", u"/dev/sdb1", u"STICK"}};
    FolderTreeMountsChanged();
    g_empty_drives.clear();
    for (const char* file : {"photos/a.JPG", "photos/b.png", "photos/notes.txt", "Zeta.txt", "alpha.jpg"}) {
      data_.Write(std::string("data/") + file, "x");
    }
    data_.Mkdir("data/empty");
    data_.Mkdir("data/nested/inner");
  }

  static Text StickMount() { return U(suite_dir_->str() + "/usb"); }
  static Text HomePath() { return U(suite_dir_->str() + "/home/"); }
  Text DataPath() const { return U(data_.str() + "/data/"); }

  static void Create(uint32_t flags = 0, TextView path = u"") {
    WidgetDestroy(kTree);
    EXPECT_NE(FolderTreeCreate(kTree, 10, 10, 400, 300, path, flags), 0);
    drive::Process();
  }

  static inline TempDir* suite_dir_ = nullptr;
  TempDir data_;
};

TEST_F(FolderTreeTest, ShowsTheDrivesAndHomeUnderTheRootAndSelectsThemWithTheirPaths) {
  Create();
  EXPECT_EQ(drive::ShownItemText(kTree, 0), u"Computer");
  EXPECT_EQ(ChildNames(0), (Names{u"/", u"STICK", u"Home"}));
  EXPECT_EQ(drive::ItemTag(kTree, Drive(2)), kTagHome);
  EXPECT_EQ(WidgetText(kTree), u"");
  // Item texts by pre-order position: the four items and nothing more.
  const Text paths[] = {u"", u"/", StickMount() + u"/", HomePath(), u""};
  for (int64_t i = 0; i < 5; ++i) EXPECT_EQ(ItemText(kTree, i, 0), paths[i]) << i;

  // Clicks and keys select drives and folders with their paths.
  ClickItem(Drive(1));
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/");
  // A drive stays a drive after its first expansion.
  Key(drive::Key::Right);
  EXPECT_EQ(ChildNames(Drive(1)), Names{u"inside"});
  EXPECT_EQ(WidgetState(kTree), 2);
  Key(drive::Key::Down);
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/inside/");
  ClickItem(0);
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(WidgetState(kTree), 2);
  Create(kTreeNoHome);
  EXPECT_EQ(drive::ChildCount(kTree, 0), 2);
}

TEST_F(FolderTreeTest, ExpandingListsFoldersBeforeFilesOnceAndOnlyThoseShown) {
  Create(0, DataPath());
  const int64_t data = Selected();
  ASSERT_TRUE(drive::ItemExpanded(kTree, data));
  ASSERT_EQ(drive::ChildCount(kTree, data), 5);
  EXPECT_EQ(drive::ItemTag(kTree, drive::ChildAt(kTree, data, 2)), kTagFolder);
  EXPECT_EQ(drive::ItemTag(kTree, drive::ChildAt(kTree, data, 3)), kTagFile);
  // A folder holding only files gets an expand button; an empty one does not.
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(data, u"photos")));
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, Child(data, u"empty")));
  // Collapse and expand again from the keyboard, and select again: nothing is listed twice.
  Key(drive::Key::Left);
  EXPECT_FALSE(drive::ItemExpanded(kTree, data));
  Key(drive::Key::Right);
  WidgetSetText(kTree, DataPath());
  EXPECT_EQ(drive::ChildCount(kTree, data), 5);

  // Sorted trees order each kind by name ignoring case; names that are not UTF-8 keep their bytes.
  const std::string odd = "caf\xe9-\xff";
  data_.Mkdir("data/" + odd);
  Create(kTreeSorted, DataPath());
  EXPECT_EQ(ChildNames(Selected()).back(), u"Zeta.txt");
  ClickItem(drive::ChildAt(kTree, Selected(), 0));
  EXPECT_EQ(runtime::TextToUtf8(WidgetText(kTree)), data_.str() + "/data/" + odd + "/");
  // Folders-only trees show no files (four folders now), and no button for a folder holding only files.
  Create(kTreeFoldersOnly, DataPath());
  EXPECT_EQ(ChildNames(Selected()).size(), 4u);
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, Child(Selected(), u"photos")));
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(Selected(), u"nested")));
}

TEST_F(FolderTreeTest, TextsSelectPathsAndSetPatternsThatFilterFilesIgnoringCase) {
  data_.Mkdir("data/Pics");
  data_.Mkdir("data/pics");
  Create();
  const Text data = DataPath();
  const struct {
    Text set, shown;
    Names files;  // the files below the selection
  } steps[] = {
      {data + u"pics/", data + u"pics/", {}},
      {data + u"PHOTOS/", data + u"photos/", {u"a.JPG", u"b.png", u"notes.txt"}},
      {u"*.TXT;*.png", data + u"photos/", {u"b.png", u"notes.txt"}},
      // A level that does not exist leaves the selection where it was.
      {data + u"missing/deeper/", data + u"photos/", {u"b.png", u"notes.txt"}},
      // A path with a pattern selects the folder and filters at once.
      {data + u"*.JPG", data, {u"alpha.jpg"}},
      {u"relative/path/", data, {u"alpha.jpg"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(runtime::TextToUtf8(step.set));
    WidgetSetText(kTree, step.set);
    EXPECT_EQ(WidgetText(kTree), step.shown);
    Names files;
    for (const Text& name : ChildNames(Selected())) {
      if (drive::ItemTag(kTree, Child(Selected(), name)) == kTagFile) files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, step.files);
  }
  // photos still has a.JPG to show.
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(Selected(), u"photos")));
  WidgetSetText(kTree, u"");
  EXPECT_EQ(WidgetText(kTree), u"");
}

TEST_F(FolderTreeTest, ClicksReportAChangeOnlyWhenTheSelectionMoves) {
  Create();
  const Point beside{5, drive::ControlGeometry(kTree).height - 10};
  const struct {
    int64_t item;  // -1: beside the items
    drive::Mouse button;
    Events events;
  } steps[] = {
      {Drive(1), drive::Mouse::Left, {{kTree, WidgetEventChange}, {kTree, WidgetEventLeftClick}}},
      {Drive(1), drive::Mouse::Left, {{kTree, WidgetEventLeftClick}}},
      // The right button selects first, so the tree's text is the item clicked.
      {Drive(0), drive::Mouse::Right, {{kTree, WidgetEventChange}, {kTree, WidgetEventRightClick}}},
      {-1, drive::Mouse::Right, {{kTree, WidgetEventRightClick}}},
  };
  for (const auto& step : steps) {
    if (step.item < 0) {
      drive::ClickAt(kTree, beside, step.button);
    } else {
      ClickItem(step.item, step.button);
    }
    EXPECT_EQ(DrainWidgetEvents(), step.events) << step.item;
  }
  EXPECT_EQ(WidgetText(kTree), u"/");
  // Keys move the selection; expanding reports nothing.
  Key(drive::Key::Down);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  Key(drive::Key::Right);
  EXPECT_EQ(DrainWidgetEvents(), Events{});

  drive::DoubleClickAt(kTree, ui_test::ItemCentre(kTree, Drive(2)));
  EXPECT_TRUE(widgettest::Posted(kTree, WidgetEventDoubleClick));
  EXPECT_EQ(Selected(), Drive(2));

  // Dragging an item selects it and reports its position.
  const Point from = ui_test::ItemCentre(kTree, Drive(1));
  drive::DragAt(kTree, from, Point{from.x, from.y + drive::DragDistance() + 20});
  EXPECT_TRUE(widgettest::Posted(kTree, WidgetEventDragStart));
  EXPECT_EQ(Selected(), Drive(1));
  EXPECT_EQ(drive::DraggedItems(kTree), std::vector<int64_t>{2});
}

TEST_F(FolderTreeTest, AnEmptyDriveOpensThePromptAndIsAskedAgainNextTime) {
  g_empty_drives = {StickMount()};
  Create();
  ClickItem(Drive(1));
  g_space_queries = 0;
  Key(drive::Key::Right);
  EXPECT_EQ(g_space_queries, 1);
  EXPECT_EQ(drive::ChildCount(kTree, Drive(1)), 0);
  EXPECT_TRUE(drive::DrivePromptOpen(0));
  EXPECT_FALSE(drive::WidgetEnabled(kTree));
  drive::CancelDrivePrompt(0);
  EXPECT_TRUE(drive::WidgetEnabled(kTree));

  // The medium is in now: the next expansion lists the drive.
  g_empty_drives.clear();
  Key(drive::Key::Right);
  EXPECT_EQ(g_space_queries, 2);
  EXPECT_EQ(ChildNames(Drive(1)), Names{u"inside"});
}

TEST_F(FolderTreeTest, MountChangesAddAndRemoveDriveItems) {
  TempDir extra;
  extra.Mkdir("disk/folder");
  Create();
  drive::ExpandItem(kTree, Drive(1));
  g_volumes.push_back({U(extra.str() + "/disk"), u"ext4", u"/dev/sdc1", u""});
  FolderTreeMountsChanged();
  ASSERT_EQ(ChildNames(0), (Names{u"/", u"STICK", u"Home", u"disk"}));

  // The stick leaves: its item goes (the selection with it), the others keep their indices.
  ClickItem(Drive(1));
  DrainWidgetEvents();
  g_volumes.erase(g_volumes.begin() + 1);
  FolderTreeMountsChanged();
  ASSERT_EQ(ChildNames(0), (Names{u"/", u"Home", u"disk"}));
  EXPECT_EQ(drive::ItemTag(kTree, Drive(2)), 2u);
  EXPECT_NE(WidgetText(kTree), StickMount() + u"/");
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  WidgetSetText(kTree, U(extra.str() + "/disk/folder/"));
  EXPECT_EQ(Child(Drive(2), u"folder"), Selected());
}

}  // namespace
}  // namespace ui
