#include "files/folder_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::T;

// Every entry as "name kind size", in the order delivered.
std::vector<std::string> ListAll(ObjectNumber number) {
  std::vector<std::string> entries;
  while (NextFolderEntry(number))
    entries.push_back(runtime::TextToUtf8(FolderEntryName(number)) + " " + std::to_string(FolderEntryKind(number)) +
                      (FolderEntryKind(number) == EntryFile ? " " + std::to_string(FolderEntrySize(number)) : ""));
  return entries;
}

class FolderScan : public ::testing::Test {
 protected:
  void TearDown() override { CloseAllFolderScans(); }
  testsupport::TempDir dir_;
};

TEST_F(FolderScan, FolderSpellingsAndPatterns) {
  dir_.Write("b.png", "123");
  dir_.Write("a.txt", "");
  dir_.Mkdir("sub");
  const std::vector<std::string> all = {". 2", ".. 2", "a.txt 1 0", "b.png 1 3", "sub 2"};
  struct Case {
    std::string folder;
    std::u16string pattern;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {dir_.str(), u"*.*", all},
      {dir_.str() + "/", u"*.*", all},
      {dir_.str(), u"", all},  // an empty pattern means everything
      {dir_.str(), u"*.png", {"b.png 1 3"}},
      {dir_.str(), u"*.gif", {}},  // nothing matched: open, but empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + " " + runtime::TextToUtf8(c.pattern));
    const int64_t scan = OpenFolderScan(AnyId, T(c.folder), c.pattern);
    ASSERT_NE(scan, 0);
    EXPECT_EQ(ListAll(scan), c.entries);
    EXPECT_EQ(NextFolderEntry(scan), 0);  // the end stays the end
    CloseFolderScan(scan);
  }
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  ASSERT_NE(OpenFolderScan(0, u"", u"*.txt"), 0);  // an empty folder is the current directory
  std::filesystem::current_path(old);
  EXPECT_EQ(ListAll(0), std::vector<std::string>{"a.txt 1 0"});
}

TEST_F(FolderScan, SparseFileOver4GiBReportsItsFullSize) {
  const uint64_t size = (uint64_t{5} << 30) + 7;
  std::ofstream(dir_.path() / "big.bin", std::ios::binary).put('x');
  std::filesystem::resize_file(dir_.path() / "big.bin", size);
  ASSERT_NE(OpenFolderScan(0, T(dir_.str()), u"big.bin"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntrySize(0), size);
}

// The open fetches the first entry; a reopen starts afresh and a failed one leaves nothing behind.
TEST_F(FolderScan, NumbersAreReusedClosedAndOtherwiseGiveNothing) {
  dir_.Write("only", "1");
  ASSERT_NE(OpenFolderScan(2, T(dir_.str()), u"only"), 0);
  EXPECT_EQ(FolderEntryName(2), u"only");
  ASSERT_EQ(NextFolderEntry(2), 1);
  EXPECT_EQ(NextFolderEntry(2), 0);
  ASSERT_NE(OpenFolderScan(2, T(dir_.str()), u"only"), 0);
  EXPECT_EQ(ListAll(2), std::vector<std::string>{"only 1 1"});
  EXPECT_EQ(OpenFolderScan(2, T(dir_.str() + "/missing"), u"*.*"), 0);
  EXPECT_EQ(OpenFolderScan(AnyId, T(dir_.str() + "/only"), u"*.*"), 0);  // a file is not a folder
  for (ObjectNumber number : {ObjectNumber{2}, ObjectNumber{3}, ObjectNumber{-7}}) {
    EXPECT_EQ(NextFolderEntry(number), 0);
    EXPECT_EQ(FolderEntryName(number), u"");
    EXPECT_EQ(FolderEntryKind(number), 0);
    EXPECT_EQ(FolderEntrySize(number), 0u);
  }
  CloseFolderScan(AnyId);
  CloseFolderScan(12345);

  ASSERT_NE(OpenFolderScan(4, T(dir_.str()), u"*.*"), 0);
  const int64_t a = OpenFolderScan(AnyId, T(dir_.str()), u"*.*");
  ASSERT_NE(a, 0);
  CloseAllFolderScans();
  EXPECT_EQ(NextFolderEntry(4), 0);
  EXPECT_EQ(FolderEntryKind(a), 0);
}

}  // namespace
}  // namespace files
