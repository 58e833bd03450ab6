#include "ui/folder_tree_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "ui/drive_table.h"

namespace ui {
namespace {

using testsupport::TempDir;
using Names = std::vector<Text>;

Text U(const std::string& s) { return platform::Utf8ToUtf16(s); }

TEST(FolderTreeRules, TextsPastThePathLimitAreRefused) {
  const Text longest = u"/" + Text(TreePathLimit() - 2, u'a') + u"/";
  EXPECT_EQ(PlanTreeText(longest).select_path, longest);
  EXPECT_EQ(PlanTreeText(longest + u"x").action, TreeTextAction::Refuse);
  // The limit counts bytes of the encoded path: three-byte characters reach it three times sooner.
  EXPECT_EQ(PlanTreeText(u"/" + Text(TreePathLimit() / 3, u'\u20ac')).action, TreeTextAction::Refuse);
}

TEST(FolderTreeRules, PatternsSplitAtSemicolonsAndIgnoreAsciiCaseOnly) {
  EXPECT_EQ(SplitPatterns(u"*.jpg;;a?c;"), (Names{u"*.jpg", u"a?c"}));
  EXPECT_TRUE(NameMatchesPatterns({}, u"anything"));
  EXPECT_TRUE(NameMatchesPatterns({u"*.png", u"*.*"}, u"noext"));
  EXPECT_FALSE(NameMatchesPatterns({u"\u00e9*"}, u"\u00c9t\u00e9"));
}

TEST(FolderTreeRules, ListingLeavesOutWhatWouldPassThePathLimit) {
  TempDir dir;
  // A chain of folders close to the limit; below it one folder whose path (with its "/") reaches the
  // limit exactly and one a byte longer.
  std::string deep = dir.str() + "/";
  while (deep.size() + 256 < TreePathLimit()) deep += std::string(250, 'd') + "/";
  std::filesystem::create_directories(deep);
  const size_t left = TreePathLimit() - deep.size();
  std::filesystem::create_directory(deep + std::string(left - 1, 'k'));
  std::filesystem::create_directory(deep + std::string(left, 'x'));
  const FolderListing near = ListFolderChildren(U(deep), {}, false, false);
  ASSERT_EQ(near.folders.size(), 1u);
  EXPECT_EQ(near.folders[0].name, U(std::string(left - 1, 'k')));
}

TEST(FolderTreeRules, IconCacheKeysAreShortUpperCaseExtensionsButNotOfProgramsAndIcons) {
  const struct {
    const char16_t* name;
    std::optional<Text> key;
  } cases[] = {{u"photo.jpeg", u"JPEG"}, {u"a.b.Png", u"PNG"}, {u"Makefile", u""},     {u"archive.tar.gz", u"GZ"},
               {u"setup.exe", {}},       {u"app.Ico", {}},     {u"notes.markdown", {}}};
  for (const auto& c : cases) EXPECT_EQ(IconCacheKey(c.name), c.key) << runtime::TextToUtf8(c.name);
}

TEST(DriveTable, ANewVolumeTakesTheFirstFreeIndexUpToTheTablesSize) {
  DriveTable table;
  const MountEntry root{u"/", u"ext4", u"/dev/sda1", u""};
  const MountEntry usb{u"/media/ann/USB", u"vfat", u"/dev/sdb1", u"STICK"};
  const MountEntry cd{u"/run/media/ann/cd", u"iso9660", u"/dev/sr0", u""};
  // Pseudo and memory file systems are not the user's volumes.
  const MountEntry proc{u"/proc", u"proc", u"proc", u""};
  const MountEntry shm{u"/mnt/shm", u"tmpfs", u"tmpfs", u""};
  UpdateDriveTable(&table, UserVolumes({root, proc, usb, shm, cd}));
  EXPECT_EQ(UpdateDriveTable(&table, {root, cd}).removed, 0b10u);
  const DriveChange c = UpdateDriveTable(&table, {root, cd, MountEntry{u"/mnt/disk", u"ext4", u"/dev/sdc1", u""}});
  EXPECT_EQ(c.arrived, 0b10u);
  EXPECT_EQ(DrivePaths(table)[1], u"/mnt/disk/");
  EXPECT_EQ(DrivePaths(table)[2], u"/run/media/ann/cd/");

  std::vector<MountEntry> many{root};
  for (int i = 0; i < 40; ++i) many.push_back({U("/mnt/v" + std::to_string(100 + i)), u"ext4", u"/dev/x", u""});
  UpdateDriveTable(&table, many);
  EXPECT_EQ(DriveMask(table), (uint64_t{1} << kMaxDrives) - 1);
}

}  // namespace
}  // namespace ui
