// Folder enumeration on Windows: drive roots, backslash search paths and UTF-16 names.
#include <gtest/gtest.h>

#include <fstream>

#include "files/folder_scan.h"
#include "runtime/text.h"
#include "tests/support/temp_dir.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::TempDir;

Text W(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  return Text(wide.begin(), wide.end());
}

std::vector<Text> Names(ObjectNumber number) {
  std::vector<Text> names;
  while (NextFolderEntry(number)) names.push_back(FolderEntryName(number));
  return names;
}

TEST(FolderScanWin32, FolderSpellingsGiveTheSameEntries) {
  TempDir dir;
  dir.Write("sub/b.png", "12");
  dir.Write("sub/a.gif", "1");
  const Text sub = W(dir.path() / "sub");
  const std::vector<Text> expected{u".", u"..", u"a.gif", u"b.png"};
  for (const Text& folder : {sub, sub + u"\\", sub + u"/", Text(W(dir.path()) + u"/sub")}) {
    SCOPED_TRACE(runtime::TextToUtf8(folder));
    const int64_t scan = OpenFolderScan(AnyId, folder, u"*.*");
    ASSERT_NE(scan, 0);
    EXPECT_EQ(Names(scan), expected);
    CloseFolderScan(scan);
  }
}

TEST(FolderScanWin32, DriveRootsAreFolders) {
  for (const Text& root : {Text(u"C:\\"), Text(u"C:"), Text(u"c:/")}) {
    SCOPED_TRACE(runtime::TextToUtf8(root));
    const int64_t scan = OpenFolderScan(AnyId, root, u"*.*");
    ASSERT_NE(scan, 0);
    EXPECT_FALSE(Names(scan).empty());
    CloseFolderScan(scan);
  }
  EXPECT_EQ(OpenFolderScan(AnyId, u"C:\\no such folder", u"*.*"), 0);
}

TEST(FolderScanWin32, Utf16NamesComeBackAndReopen) {
  TempDir dir;
  const std::u16string name = u"\u4e2d\U0001F600 \u00e9t\u00e9.png";
  std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary) << "bytes";
  ASSERT_NE(OpenFolderScan(0, W(dir.path()), u"*.PNG"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryName(0), name);
  EXPECT_EQ(FolderEntrySize(0), 5u);
  CloseFolderScan(0);
  ASSERT_NE(OpenFolderScan(0, W(dir.path()), name), 0);
  EXPECT_EQ(NextFolderEntry(0), 1);
  CloseFolderScan(0);
}

}  // namespace
}  // namespace files
