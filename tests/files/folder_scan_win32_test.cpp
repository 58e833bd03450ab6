// Folder enumeration on Windows: drive roots, both separators and UTF-16 names.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "files/folder_scan.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::W;

std::vector<Text> Names(ObjectNumber number) {
  std::vector<Text> names;
  while (NextFolderEntry(number)) names.push_back(FolderEntryName(number));
  CloseFolderScan(number);
  return names;
}

TEST(FolderScanWin32, FolderSpellingsAndDriveRoots) {
  testsupport::TempDir dir;
  dir.Write("sub/b.png", "12");
  dir.Write("sub/a.gif", "1");
  const Text sub = W(dir.path() / "sub");
  for (const Text& folder : {sub, sub + u"\\", sub + u"/", Text(W(dir.path()) + u"/sub")}) {
    SCOPED_TRACE(runtime::TextToUtf8(folder));
    EXPECT_EQ(Names(OpenFolderScan(AnyId, folder, u"*.*")), (std::vector<Text>{u".", u"..", u"a.gif", u"b.png"}));
  }
  for (const Text& root : {Text(u"C:\\"), Text(u"C:"), Text(u"c:/")}) {
    SCOPED_TRACE(runtime::TextToUtf8(root));
    EXPECT_FALSE(Names(OpenFolderScan(AnyId, root, u"*.*")).empty());
  }
  EXPECT_EQ(OpenFolderScan(AnyId, u"C:\\no such folder", u"*.*"), 0);
}

TEST(FolderScanWin32, Utf16NamesComeBackAndReopen) {
  testsupport::TempDir dir;
  const std::u16string name = u"\u4e2d\U0001F600 \u00e9t\u00e9.png";
  std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary) << "bytes";
  ASSERT_NE(OpenFolderScan(0, W(dir.path()), u"*.PNG"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryName(0), name);
  EXPECT_EQ(FolderEntrySize(0), 5u);
  EXPECT_EQ(Names(OpenFolderScan(AnyId, W(dir.path()), name)), std::vector<Text>{name});
  CloseFolderScan(0);
}

}  // namespace
}  // namespace files
