// Folder enumeration over POSIX names: links, and names that are bytes rather than UTF-8.
#include <gtest/gtest.h>

#include "files/folder_scan.h"
#include "runtime/text.h"
#include "tests/support/temp_dir.h"

namespace files {
namespace {

using testsupport::TempDir;

Text T(const std::string& s) { return runtime::TextFromUtf8(s); }

TEST(FolderScan, LinkToAFolderIsAFolder) {
  TempDir dir;
  dir.Mkdir("real");
  std::filesystem::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"link"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryKind(0), EntryDirectory);
  CloseFolderScan(0);
}

TEST(FolderScan, InvalidUtf8NameRoundTripsAndCanBeReopened) {
  TempDir dir;
  dir.Write("caf\xE9", "bytes");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"caf*"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  const Text name = FolderEntryName(0);
  CloseFolderScan(0);
  EXPECT_EQ(runtime::TextToUtf8(name), "caf\xE9");
  // the name found is the name that opens the file again
  const std::string full = runtime::TextToUtf8(runtime::TextConcat({T(dir.str()), u"/", name}));
  EXPECT_EQ(testsupport::ReadFileBytes(full), "bytes");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), name), 0);
  EXPECT_EQ(NextFolderEntry(0), 1);
  CloseFolderScan(0);
}

}  // namespace
}  // namespace files
