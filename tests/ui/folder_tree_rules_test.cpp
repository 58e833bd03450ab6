#include "ui/folder_tree_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "ui/drive_table.h"

namespace ui {
namespace {

using testsupport::TempDir;

Text U(const std::string& s) { return platform::Utf8ToUtf16(s); }

// Walks a chain given from the item up to the root, as the tree does.
Text WalkPath(const std::vector<std::pair<uint32_t, Text>>& chain, TextView drive_path = u"/media/usb/",
              TextView home = u"/home/ann/") {
  Text path;
  for (const auto& [tag, name] : chain) {
    if (!PrependItemPath(&path, tag, name, drive_path, home)) break;
  }
  return path;
}

TEST(FolderTreeRules, ItemPathsFollowTheKindOfEveryStep) {
  EXPECT_EQ(WalkPath({{kTagComputer, u"Computer"}}), u"");
  EXPECT_EQ(WalkPath({{3, u"usb"}, {kTagComputer, u"Computer"}}), u"/media/usb/");
  EXPECT_EQ(WalkPath({{3 | kTagPopulated, u"usb"}, {kTagComputer, u"Computer"}}), u"/media/usb/");
  EXPECT_EQ(
      WalkPath({{kTagFolder | kTagPopulated, u"pics"}, {kTagFolder, u"data"}, {0, u"/"}, {kTagComputer, u""}}, u"/"),
      u"/data/pics/");
  EXPECT_EQ(WalkPath({{kTagFile, u"a.jpg"}, {kTagFolder, u"pics"}, {kTagHome, u"Home"}, {kTagComputer, u""}}),
            u"/home/ann/pics/a.jpg");
  // The walk ends at the root even when more steps follow.
  EXPECT_EQ(WalkPath({{kTagFolder, u"x"}, {kTagComputer, u""}, {kTagFolder, u"ignored"}}, u"/"), u"x/");
}

TEST(FolderTreeRules, TextPlansSeparatePathFromPattern) {
  EXPECT_EQ(PlanTreeText(u"").action, TreeTextAction::Rebuild);
  EXPECT_EQ(PlanTreeText(u"/").action, TreeTextAction::Rebuild);

  TreeTextPlan p = PlanTreeText(u"*.JPG;*.png");
  EXPECT_EQ(p.action, TreeTextAction::PatternKeepSelection);
  EXPECT_EQ(p.pattern, u"*.JPG;*.png");

  p = PlanTreeText(u"/data/pics/");
  EXPECT_EQ(p.action, TreeTextAction::Select);
  EXPECT_EQ(p.select_path, u"/data/pics/");

  p = PlanTreeText(u"/data/pics/*.gif");
  EXPECT_EQ(p.action, TreeTextAction::SelectWithPattern);
  EXPECT_EQ(p.select_path, u"/data/pics/");
  EXPECT_EQ(p.pattern, u"*.gif");

  const Text longest = u"/" + Text(TreePathLimit() - 2, u'a') + u"/";
  EXPECT_EQ(PlanTreeText(longest).action, TreeTextAction::Select);
  EXPECT_EQ(PlanTreeText(longest + u"x").action, TreeTextAction::Refuse);
  // The limit counts bytes of the encoded path: three-byte characters reach it three times sooner.
  EXPECT_EQ(PlanTreeText(u"/" + Text(TreePathLimit() / 3, u'\u20ac')).action, TreeTextAction::Refuse);
}

TEST(FolderTreeRules, PatternsSplitAtSemicolonsAndIgnoreAsciiCase) {
  EXPECT_EQ(SplitPatterns(u"*.jpg;;a?c;"), (std::vector<Text>{u"*.jpg", u"a?c"}));
  EXPECT_TRUE(SplitPatterns(u";").empty());

  EXPECT_TRUE(NameMatchesPatterns({}, u"anything"));
  EXPECT_TRUE(NameMatchesPatterns({u"*.png", u"*.*"}, u"noext"));
  EXPECT_TRUE(NameMatchesPatterns({u"*.png", u"*.jpg"}, u"Photo.JPG"));
  EXPECT_TRUE(NameMatchesPatterns({u"a?c"}, u"AbC"));
  EXPECT_FALSE(NameMatchesPatterns({u"a?c"}, u"abbc"));
  EXPECT_FALSE(NameMatchesPatterns({u"*.png", u"*.jpg"}, u"photo.jpeg"));
  EXPECT_FALSE(NameMatchesPatterns({u"\u00e9*"}, u"\u00c9t\u00e9"));
}

TEST(FolderTreeRules, SelectPathsPickTheLongestDriveAndPreferExactNames) {
  const std::vector<Text> drives = {u"/", u"", u"/media/usb/"};
  uint32_t drive = 99;
  std::vector<Text> names;
  ASSERT_TRUE(SplitSelectPath(u"/media/usb/a/b/", drives, &drive, &names));
  EXPECT_EQ(drive, 2u);
  EXPECT_EQ(names, (std::vector<Text>{u"a", u"b"}));
  ASSERT_TRUE(SplitSelectPath(u"/media/usbstick/", drives, &drive, &names));
  EXPECT_EQ(drive, 0u);
  EXPECT_EQ(names, (std::vector<Text>{u"media", u"usbstick"}));
  ASSERT_TRUE(SplitSelectPath(u"/", drives, &drive, &names));
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(SplitSelectPath(u"relative/", drives, &drive, &names));

  const std::vector<Text> children = {u"Pics", u"pics", u"PICS2"};
  EXPECT_EQ(FindNameMatch(children, u"pics"), 1);
  EXPECT_EQ(FindNameMatch(children, u"PICS"), 0);
  EXPECT_EQ(FindNameMatch(children, u"pics2"), 2);
  EXPECT_EQ(FindNameMatch(children, u"pic"), -1);
}

TEST(FolderTreeRules, ListingDecidesChildrenByLookingInsideEachFolder) {
  TempDir dir;
  dir.Mkdir("root/empty");
  dir.Mkdir("root/nested/deeper");
  dir.Write("root/photos/A.JPG", "x");
  dir.Write("root/texts/readme.txt", "x");
  dir.Mkdir("root/.hidden");
  dir.Write("root/b.png", "x");
  dir.Write("root/a.txt", "x");
  dir.Write("root/Z.jpg", "x");
  const Text root = U(dir.str() + "/root/");

  auto has_children = [](const FolderListing& l, TextView name) {
    for (const auto& f : l.folders) {
      if (f.name == name) return f.has_children ? 1 : 0;
    }
    return -1;
  };

  FolderListing all = ListFolderChildren(root, SplitPatterns(u"*.*"), false, true);
  std::vector<Text> folder_names;
  for (const auto& f : all.folders) folder_names.push_back(f.name);
  EXPECT_EQ(folder_names, (std::vector<Text>{u".hidden", u"empty", u"nested", u"photos", u"texts"}));
  EXPECT_EQ(all.files, (std::vector<Text>{u"a.txt", u"b.png", u"Z.jpg"}));
  EXPECT_EQ(has_children(all, u"empty"), 0);
  EXPECT_EQ(has_children(all, u"nested"), 1);
  EXPECT_EQ(has_children(all, u"photos"), 1);
  EXPECT_EQ(has_children(all, u"texts"), 1);

  FolderListing jpg = ListFolderChildren(root, SplitPatterns(u"*.jpg"), false, true);
  EXPECT_EQ(jpg.files, (std::vector<Text>{u"Z.jpg"}));
  EXPECT_EQ(has_children(jpg, u"photos"), 1);
  EXPECT_EQ(has_children(jpg, u"texts"), 0);

  FolderListing folders = ListFolderChildren(root, {}, true, false);
  EXPECT_TRUE(folders.files.empty());
  EXPECT_EQ(folders.folders.size(), 5u);
  EXPECT_EQ(has_children(folders, u"photos"), 0);
  EXPECT_EQ(has_children(folders, u"nested"), 1);

  EXPECT_TRUE(ListFolderChildren(U(dir.str() + "/missing/"), {}, false, false).folders.empty());
}

TEST(FolderTreeRules, ListingLeavesOutWhatWouldPassThePathLimit) {
  TempDir dir;
  // A chain of folders that comes close to the limit; below it one folder whose path (with its "/")
  // reaches the limit exactly and one a byte longer.
  std::string deep = dir.str() + "/";
  while (deep.size() + 256 < TreePathLimit()) deep += std::string(250, 'd') + "/";
  std::filesystem::create_directories(deep);
  const size_t left = TreePathLimit() - deep.size();
  std::filesystem::create_directory(deep + std::string(left - 1, 'k'));
  std::filesystem::create_directory(deep + std::string(left, 'x'));
  FolderListing near = ListFolderChildren(U(deep), {}, false, false);
  ASSERT_EQ(near.folders.size(), 1u);
  EXPECT_EQ(near.folders[0].name, U(std::string(left - 1, 'k')));
}

TEST(FolderTreeRules, IconCacheKeysAreShortUpperCaseExtensions) {
  EXPECT_EQ(IconCacheKey(u"photo.jpeg"), Text(u"JPEG"));
  EXPECT_EQ(IconCacheKey(u"a.b.Png"), Text(u"PNG"));
  EXPECT_EQ(IconCacheKey(u"Makefile"), Text(u""));
  EXPECT_EQ(IconCacheKey(u"archive.tar.gz"), Text(u"GZ"));
  EXPECT_FALSE(IconCacheKey(u"setup.exe").has_value());
  EXPECT_FALSE(IconCacheKey(u"app.Ico").has_value());
  EXPECT_FALSE(IconCacheKey(u"notes.markdown").has_value());
}

TEST(DriveTable, DrivesKeepTheirIndexWhileOthersComeAndGo) {
  DriveTable table;
  const MountEntry root{u"/", u"ext4", u"/dev/sda1", u""};
  const MountEntry usb{u"/media/ann/USB", u"vfat", u"/dev/sdb1", u"STICK"};
  const MountEntry cd{u"/run/media/ann/cd", u"iso9660", u"/dev/sr0", u""};
  const MountEntry proc{u"/proc", u"proc", u"proc", u""};
  const MountEntry shm{u"/mnt/shm", u"tmpfs", u"tmpfs", u""};
  const MountEntry home{u"/home", u"ext4", u"/dev/sda2", u""};

  const std::vector<MountEntry> user = UserVolumes({usb, proc, root, shm, home});
  ASSERT_EQ(user.size(), 2u);
  DriveChange c = UpdateDriveTable(&table, user);
  EXPECT_EQ(c.arrived, 0b11u);
  EXPECT_EQ(c.removed, 0u);
  EXPECT_EQ(DrivePaths(table)[0], u"/");
  EXPECT_EQ(DrivePaths(table)[1], u"/media/ann/USB/");
  EXPECT_EQ(DriveDisplayName(table.drives[0]), u"/");
  EXPECT_EQ(DriveDisplayName(table.drives[1]), u"STICK");

  c = UpdateDriveTable(&table, {root, cd, usb});
  EXPECT_EQ(c.arrived, 0b100u);
  EXPECT_EQ(c.removed, 0u);
  EXPECT_EQ(DriveDisplayName(table.drives[2]), u"cd");

  // The stick leaves; the CD keeps index 2 and a new volume fills the gap.
  c = UpdateDriveTable(&table, {root, cd});
  EXPECT_EQ(c.removed, 0b10u);
  EXPECT_EQ(DriveMask(table), 0b101u);
  c = UpdateDriveTable(&table, {root, cd, MountEntry{u"/mnt/disk", u"ext4", u"/dev/sdc1", u""}});
  EXPECT_EQ(c.arrived, 0b10u);
  EXPECT_EQ(DrivePaths(table)[1], u"/mnt/disk/");
  EXPECT_EQ(DrivePaths(table)[2], u"/run/media/ann/cd/");

  // No more than 33 drives.
  std::vector<MountEntry> many{root};
  for (int i = 0; i < 40; ++i) many.push_back({U("/mnt/v" + std::to_string(100 + i)), u"ext4", u"/dev/x", u""});
  UpdateDriveTable(&table, many);
  EXPECT_EQ(DriveMask(table), (uint64_t{1} << kMaxDrives) - 1);
}

}  // namespace
}  // namespace ui
