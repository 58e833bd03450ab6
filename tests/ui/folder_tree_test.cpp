// Folder trees over the volumes that the mount-table and volume-space hooks report. The volumes are
// Linux mount points (the root file system "/", a stick below the suite's folder) and Home is $HOME,
// so these cases hold on Linux only; other systems feed the same hooks from their own drive sources.
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
  for (const Text& d : g_empty_drives) {
    if (d == mount_point) return ENOMEDIUM;
  }
  return 0;
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
    suite_dir_->Mkdir("home/Pictures");
    setenv("HOME", (suite_dir_->str() + "/home").c_str(), 1);
    SetMountTableReader(FakeMountTable);
    SetVolumeSpaceQuery(FakeSpaceQuery);
  }
  static void TearDownTestSuite() {
    delete suite_dir_;
    suite_dir_ = nullptr;
  }
  void SetUp() override {
    WindowTest::SetUp();
    g_volumes = {{u"/", u"ext4", u"/dev/sda1", u""}, {StickMount(), u"vfat", u"/dev/sdb1", u"STICK"}};
    FolderTreeMountsChanged();
    g_empty_drives.clear();
    data_.Write("data/photos/a.JPG", "x");
    data_.Write("data/photos/b.png", "x");
    data_.Write("data/photos/notes.txt", "x");
    data_.Mkdir("data/empty");
    data_.Mkdir("data/nested/inner");
    data_.Write("data/Zeta.txt", "x");
    data_.Write("data/alpha.jpg", "x");
  }

  static Text StickMount() { return U(suite_dir_->str() + "/usb"); }
  static Text HomePath() { return U(suite_dir_->str() + "/home/"); }
  Text DataPath() const { return U(data_.str() + "/data/"); }

  static void Create(uint32_t flags = 0, TextView path = u"") {
    EXPECT_NE(FolderTreeCreate(kTree, 10, 10, 400, 300, path, flags), 0);
    drive::Process();
  }

  static TempDir* suite_dir_;
  TempDir data_;
};

TempDir* FolderTreeTest::suite_dir_ = nullptr;

TEST_F(FolderTreeTest, StartsWithTheRootExpandedOverItsDrivesAndHome) {
  Create();
  EXPECT_EQ(drive::ItemTag(kTree, 0), kTagComputer);
  EXPECT_EQ(drive::ShownItemText(kTree, 0), u"Computer");
  EXPECT_TRUE(drive::ItemExpanded(kTree, 0));
  EXPECT_EQ(ChildNames(0), (Names{u"/", u"STICK", u"Home"}));
  EXPECT_EQ(drive::ItemTag(kTree, Drive(0)), 0u);
  EXPECT_EQ(drive::ItemTag(kTree, Drive(1)), 1u);
  EXPECT_EQ(drive::ItemTag(kTree, Drive(2)), kTagHome);
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(WidgetState(kTree), 0);
  // Item texts by pre-order position: the four items and nothing more.
  const Text paths[] = {u"", u"/", StickMount() + u"/", HomePath(), u""};
  for (int64_t i = 0; i < 5; ++i) EXPECT_EQ(ItemText(kTree, i, 0), paths[i]) << i;
  EXPECT_EQ(ItemText(kTree, -1, 0), u"");

  WidgetDestroy(kTree);
  Create(kTreeNoHome);
  EXPECT_EQ(drive::ChildCount(kTree, 0), 2);
}

TEST_F(FolderTreeTest, ClicksAndKeysSelectDrivesFoldersAndFilesWithTheirPaths) {
  Create();
  ClickItem(Drive(1));
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/");
  EXPECT_EQ(WidgetState(kTree), 2);
  // A drive stays a drive after its first expansion.
  Key(drive::Key::Right);
  EXPECT_TRUE(drive::ItemExpanded(kTree, Drive(1)));
  EXPECT_EQ(ChildNames(Drive(1)), Names{u"inside"});
  EXPECT_EQ(WidgetState(kTree), 2);
  Key(drive::Key::Down);
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/inside/");

  // A folder reached through the root drive, then a file in it.
  WidgetSetText(kTree, DataPath());
  EXPECT_EQ(WidgetText(kTree), DataPath());
  const int64_t photos = Child(Selected(), u"photos");
  ASSERT_GE(photos, 0);
  ClickItem(photos);
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  Key(drive::Key::Right);
  ClickItem(Child(photos, u"a.JPG"));
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/a.JPG");
  EXPECT_EQ(WidgetState(kTree), 1);

  // Home and what lies below it.
  ClickItem(Drive(2));
  EXPECT_EQ(WidgetText(kTree), HomePath());
  Key(drive::Key::Right);
  ClickItem(Child(Drive(2), u"Pictures"));
  EXPECT_EQ(WidgetText(kTree), HomePath() + u"Pictures/");

  ClickItem(0);
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(WidgetState(kTree), 2);
}

TEST_F(FolderTreeTest, ExpandingListsFoldersBeforeFilesAndOnlyOnce) {
  Create(0, DataPath());
  const int64_t data = Selected();
  ASSERT_GE(data, 0);
  ASSERT_TRUE(drive::ItemExpanded(kTree, data));
  ASSERT_EQ(drive::ChildCount(kTree, data), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(drive::ItemTag(kTree, drive::ChildAt(kTree, data, i)), i < 3 ? kTagFolder : kTagFile) << i;
  }
  EXPECT_TRUE(TagIsPopulated(drive::ItemTag(kTree, data)));

  // A folder holding only files gets an expand button; an empty one does not.
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(data, u"photos")));
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, Child(data, u"empty")));

  // Collapse and expand again from the keyboard: nothing is listed twice.
  Key(drive::Key::Left);
  EXPECT_FALSE(drive::ItemExpanded(kTree, data));
  Key(drive::Key::Right);
  EXPECT_TRUE(drive::ItemExpanded(kTree, data));
  EXPECT_EQ(drive::ChildCount(kTree, data), 5);
  WidgetSetText(kTree, DataPath());
  EXPECT_EQ(drive::ChildCount(kTree, data), 5);

  // Sorted trees order each kind by name ignoring case.
  WidgetDestroy(kTree);
  Create(kTreeSorted, DataPath());
  EXPECT_EQ(ChildNames(Selected()), (Names{u"empty", u"nested", u"photos", u"alpha.jpg", u"Zeta.txt"}));
}

TEST_F(FolderTreeTest, FoldersOnlyTreesShowNoFilesAndNoButtonForFileFolders) {
  Create(kTreeFoldersOnly, DataPath());
  const int64_t data = Selected();
  ASSERT_GE(data, 0);
  EXPECT_EQ(drive::ChildCount(kTree, data), 3);
  EXPECT_FALSE(drive::ItemHasExpandButton(kTree, Child(data, u"photos")));
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(data, u"nested")));
}

TEST_F(FolderTreeTest, APatternKeepsTheSelectionAndFiltersFilesIgnoringCase) {
  Create(0, DataPath() + u"photos/");
  ASSERT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  EXPECT_EQ(drive::ChildCount(kTree, Selected()), 3);

  WidgetSetText(kTree, u"*.jpg");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  EXPECT_EQ(ChildNames(Selected()), Names{u"a.JPG"});

  WidgetSetText(kTree, u"*.TXT;*.png");
  Names names = ChildNames(Selected());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Names{u"b.png", u"notes.txt"}));

  // A path with a pattern selects the folder and filters at once.
  WidgetSetText(kTree, DataPath() + u"*.JPG");
  EXPECT_EQ(WidgetText(kTree), DataPath());
  EXPECT_EQ(Child(Selected(), u"Zeta.txt"), -1);
  EXPECT_GE(Child(Selected(), u"alpha.jpg"), 0);
  // photos still has a.JPG to show.
  EXPECT_TRUE(drive::ItemHasExpandButton(kTree, Child(Selected(), u"photos")));
}

TEST_F(FolderTreeTest, SelectingPathsPrefersExactNamesAndStopsAtMissingOnes) {
  data_.Mkdir("data/Pics");
  data_.Mkdir("data/pics");
  Create();
  const struct {
    Text set, shown;
  } steps[] = {
      {DataPath() + u"pics/", DataPath() + u"pics/"},
      {DataPath() + u"PHOTOS/", DataPath() + u"photos/"},
      // A level that does not exist leaves the selection where it was.
      {DataPath() + u"missing/deeper/", DataPath() + u"photos/"},
      {u"relative/path/", DataPath() + u"photos/"},
      // "" rebuilds and selects nothing.
      {u"", u""},
  };
  for (const auto& step : steps) {
    WidgetSetText(kTree, step.set);
    EXPECT_EQ(WidgetText(kTree), step.shown) << runtime::TextToUtf8(step.set);
  }
  EXPECT_EQ(drive::ChildCount(kTree, 0), 3);
}

TEST_F(FolderTreeTest, AClickOnAnUnselectedItemReportsChangeThenLeftClick) {
  Create();
  DrainWidgetEvents();
  ClickItem(Drive(1));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventLeftClick}}));
  ClickItem(Drive(1));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventLeftClick}}));

  // The right button selects the item first, so the tree's text is the item clicked.
  ClickItem(Drive(0), drive::Mouse::Right);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventRightClick}}));
  EXPECT_EQ(Selected(), Drive(0));
  EXPECT_EQ(WidgetText(kTree), u"/");
  ClickItem(Drive(0), drive::Mouse::Right);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventRightClick}}));
  // Beside the items nothing is there to select.
  drive::ClickAt(kTree, Point{5, drive::ControlGeometry(kTree).height - 10}, drive::Mouse::Right);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventRightClick}}));
  EXPECT_EQ(Selected(), Drive(0));

  // Keys move the selection; expanding reports nothing.
  Key(drive::Key::Down);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  Key(drive::Key::Right);
  EXPECT_EQ(DrainWidgetEvents(), Events{});

  drive::ScrollToItem(kTree, Drive(2));
  drive::DoubleClickAt(kTree, ui_test::ItemCentre(kTree, Drive(2)));
  EXPECT_TRUE(widgettest::Posted(DrainWidgetEvents(), kTree, WidgetEventDoubleClick));
  EXPECT_EQ(Selected(), Drive(2));
}

TEST_F(FolderTreeTest, DraggingAnItemSelectsItAndReportsItsPosition) {
  Create();
  DrainWidgetEvents();
  const Point from = ui_test::ItemCentre(kTree, Drive(1));
  drive::DragAt(kTree, from, Point{from.x, from.y + drive::DragDistance() + 20});
  EXPECT_TRUE(widgettest::Posted(DrainWidgetEvents(), kTree, WidgetEventDragStart));
  EXPECT_EQ(Selected(), Drive(1));
  EXPECT_EQ(drive::DraggedItems(kTree), std::vector<int64_t>{2});
}

TEST_F(FolderTreeTest, PathsDeeperThan259CharactersWork) {
  std::string deep = "data";
  while (deep.size() < 400) deep += "/a-rather-long-folder-name-" + std::to_string(deep.size());
  data_.Write(deep + "/picture.jpg", "x");
  const Text folder = U(data_.str() + "/" + deep + "/");
  ASSERT_GT(folder.size(), 259u);
  Create(0, folder);
  EXPECT_EQ(WidgetText(kTree), folder);
  ASSERT_GE(Child(Selected(), u"picture.jpg"), 0);
  // The item lies far to the right of the view: the keyboard reaches it.
  drive::FocusWidget(kTree);
  Key(drive::Key::Down);
  EXPECT_EQ(WidgetText(kTree), folder + u"picture.jpg");
  EXPECT_EQ(WidgetState(kTree), 1);
}

TEST_F(FolderTreeTest, NamesThatAreNotUtf8KeepTheirBytesInThePath) {
  const std::string odd = "caf\xe9-\xff";
  data_.Mkdir("data/" + odd);
  Create(kTreeSorted, DataPath());
  const int64_t first = drive::ChildAt(kTree, Selected(), 0);  // "caf..." sorts first
  ClickItem(first);
  EXPECT_EQ(runtime::TextToUtf8(WidgetText(kTree)), data_.str() + "/data/" + odd + "/");
  WidgetSetText(kTree, DataPath());
  WidgetSetText(kTree, U(data_.str() + "/data/" + odd + "/"));
  EXPECT_EQ(Selected(), first);
}

TEST_F(FolderTreeTest, LineBreaksInNamesAreShownAsSymbolsAndPathsKeepThem) {
  data_.Write("data/cr\rlf\n/in\nside.txt", "x");
  const Text folder = DataPath() + u"cr\rlf\n/";
  Create(0, folder);
  const int64_t selected = Selected();
  EXPECT_EQ(drive::ShownItemText(kTree, selected), u"cr\u240Dlf\u240A");
  EXPECT_EQ(WidgetText(kTree), folder);
  EXPECT_EQ(ChildNames(selected), Names{u"in\u240Aside.txt"});
  ClickItem(drive::ChildAt(kTree, selected, 0));
  EXPECT_EQ(WidgetText(kTree), folder + u"in\nside.txt");
}

TEST_F(FolderTreeTest, AnEmptyDriveOpensThePromptAndIsAskedAgainNextTime) {
  g_empty_drives = {StickMount()};
  Create();
  ClickItem(Drive(1));
  g_space_queries = 0;
  Key(drive::Key::Right);
  EXPECT_EQ(g_space_queries, 1);
  EXPECT_EQ(drive::ChildCount(kTree, Drive(1)), 0);
  EXPECT_FALSE(drive::ItemExpanded(kTree, Drive(1)));
  EXPECT_FALSE(TagIsPopulated(drive::ItemTag(kTree, Drive(1))));
  EXPECT_TRUE(drive::DrivePromptOpen(0));
  EXPECT_FALSE(drive::WidgetEnabled(kTree));
  EXPECT_EQ(WidgetState(kTree), 2);

  drive::CancelDrivePrompt(0);
  EXPECT_TRUE(drive::WidgetEnabled(kTree));

  // The medium is in now: the next expansion lists the drive.
  g_empty_drives.clear();
  Key(drive::Key::Right);
  EXPECT_EQ(g_space_queries, 2);
  EXPECT_EQ(ChildNames(Drive(1)), Names{u"inside"});

  // Flag 4 never prompts; setting a text closes an open prompt.
  WidgetDestroy(kTree);
  g_empty_drives = {StickMount()};
  Create(kTreeNoDrivePrompt);
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_TRUE(drive::WidgetEnabled(kTree));
  WidgetDestroy(kTree);
  Create();
  drive::ExpandItem(kTree, Drive(1));
  EXPECT_FALSE(drive::WidgetEnabled(kTree));
  WidgetSetText(kTree, u"");
  EXPECT_TRUE(drive::WidgetEnabled(kTree));
}

TEST_F(FolderTreeTest, MountChangesAddAndRemoveDriveItems) {
  TempDir extra;
  extra.Mkdir("disk/folder");
  Create();
  drive::ExpandItem(kTree, Drive(1));
  ASSERT_EQ(drive::ChildCount(kTree, Drive(1)), 1);

  g_volumes.push_back({U(extra.str() + "/disk"), u"ext4", u"/dev/sdc1", u""});
  FolderTreeMountsChanged();
  ASSERT_EQ(ChildNames(0), (Names{u"/", u"STICK", u"Home", u"disk"}));
  EXPECT_EQ(drive::ItemTag(kTree, Drive(3)), 2u);
  EXPECT_EQ(ItemText(kTree, 5, 0), U(extra.str() + "/disk/"));  // root, /, STICK, inside, Home, disk

  // The stick leaves: its item goes (the selection with it), the others keep their indices.
  ClickItem(Drive(1));
  DrainWidgetEvents();
  const Text stick_path = WidgetText(kTree);
  g_volumes.erase(g_volumes.begin() + 1);
  FolderTreeMountsChanged();
  ASSERT_EQ(drive::ChildCount(kTree, 0), 3);
  EXPECT_EQ(drive::ItemTag(kTree, Drive(0)), 0u);
  EXPECT_EQ(drive::ItemTag(kTree, Drive(1)), kTagHome);
  EXPECT_EQ(drive::ItemTag(kTree, Drive(2)), 2u);
  EXPECT_NE(WidgetText(kTree), stick_path);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  WidgetSetText(kTree, U(extra.str() + "/disk/folder/"));
  EXPECT_EQ(WidgetText(kTree), U(extra.str() + "/disk/folder/"));
  EXPECT_EQ(Child(Drive(2), u"folder"), Selected());
}

TEST_F(FolderTreeTest, ColoursAreKeptAndReported) {
  Create();
  WidgetRecord* w = FindWidget(kTree);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w->ops->set_colour, nullptr);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), -1);
  w->ops->set_colour(w, kTreeColourText, 0x0000ff);
  w->ops->set_colour(w, kTreeColourLines, 0x123456);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), 0x0000ff);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourLines), 0x123456);
  w->ops->set_colour(w, kTreeColourText, -1);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), -1);
}

}  // namespace
}  // namespace ui
