// Folder enumeration over POSIX names: links, and names that are bytes rather than UTF-8.
#include <gtest/gtest.h>

#include "files/folder_scan.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using testsupport::T;

TEST(FolderScanPosix, LinkToAFolderIsAFolderAndByteNamesReopen) {
  testsupport::TempDir dir;
  dir.Mkdir("real");
  std::filesystem::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"link"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryKind(0), EntryDirectory);

  dir.Write("caf\xE9", "bytes");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"caf*"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  const Text name = FolderEntryName(0);
  EXPECT_EQ(runtime::TextToUtf8(name), "caf\xE9");
  EXPECT_EQ(testsupport::ReadFileBytes(runtime::TextToUtf8(T(dir.str() + "/") + name)), "bytes");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), name), 0);
  EXPECT_EQ(NextFolderEntry(0), 1);
  CloseAllFolderScans();
}

}  // namespace
}  // namespace files
