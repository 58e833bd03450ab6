#include "files/folder_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/support/temp_dir.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::TempDir;

struct Entry {
  int64_t kind;
  uint64_t size;
};

std::map<Text, Entry> ListAll(ObjectNumber number) {
  std::map<Text, Entry> entries;
  while (NextFolderEntry(number)) entries[FolderEntryName(number)] = {FolderEntryKind(number), FolderEntrySize(number)};
  return entries;
}

Text T(const std::string& s) { return runtime::TextFromUtf8(s); }

TEST(FolderScan, ListsWithAndWithoutTrailingSeparator) {
  TempDir dir;
  dir.Write("a.png", "123");
  dir.Mkdir("sub");
  for (const std::string& folder : {dir.str(), dir.str() + "/"}) {
    ASSERT_NE(OpenFolderScan(0, T(folder), u"*.*"), 0) << folder;
    const auto entries = ListAll(0);
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries.at(u".").kind, EntryDirectory);
    EXPECT_EQ(entries.at(u"..").kind, EntryDirectory);
    EXPECT_EQ(entries.at(u"sub").kind, EntryDirectory);
    EXPECT_EQ(entries.at(u"a.png").kind, EntryFile);
    EXPECT_EQ(entries.at(u"a.png").size, 3u);
    CloseFolderScan(0);
  }
}

TEST(FolderScan, EmptyPatternMeansEverythingAndNoMatchIsAnOpenEmptyScan) {
  TempDir dir;
  dir.Write("x.txt", "");
  ASSERT_NE(OpenFolderScan(1, T(dir.str()), u""), 0);
  EXPECT_EQ(ListAll(1).size(), 3u);
  CloseFolderScan(1);
  const int64_t none = OpenFolderScan(AnyId, T(dir.str()), u"*.gif");
  ASSERT_NE(none, 0);
  EXPECT_EQ(NextFolderEntry(none), 0);
  EXPECT_EQ(NextFolderEntry(none), 0);
  CloseFolderScan(none);
}

TEST(FolderScan, EmptyFolderEnumeratesTheCurrentDirectory) {
  TempDir dir;
  dir.Write("here.txt", "");
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ASSERT_NE(OpenFolderScan(0, u"", u"*.txt"), 0);
  EXPECT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryName(0), u"here.txt");
  CloseFolderScan(0);
  std::filesystem::current_path(old);
}

TEST(FolderScan, SparseFileOver4GiBReportsItsFullSize) {
  TempDir dir;
  const std::string path = dir.str() + "/big.bin";
  const uint64_t size = (uint64_t{5} << 30) + 7;
  std::ofstream(path, std::ios::binary).put('x');
  std::filesystem::resize_file(path, size);
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"big.bin"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntrySize(0), size);
  CloseFolderScan(0);
}

TEST(FolderScan, ReopeningALiveFixedNumberStartsAfresh) {
  TempDir dir;
  dir.Write("only", "");
  ASSERT_NE(OpenFolderScan(2, T(dir.str()), u"only"), 0);
  ASSERT_EQ(NextFolderEntry(2), 1);
  EXPECT_EQ(NextFolderEntry(2), 0);
  ASSERT_NE(OpenFolderScan(2, T(dir.str()), u"only"), 0);
  EXPECT_EQ(NextFolderEntry(2), 1);  // the old enumeration was closed, the new one starts at its first entry
  EXPECT_EQ(FolderEntryName(2), u"only");
  // a failed reopen leaves nothing behind under that number
  EXPECT_EQ(OpenFolderScan(2, T(dir.str() + "/missing"), u"*.*"), 0);
  EXPECT_EQ(NextFolderEntry(2), 0);
  EXPECT_EQ(FolderEntryName(2), u"");
}

TEST(FolderScan, MissingFolderUnderAnyIdLeavesNothingOpen) {
  TempDir dir;
  const std::string file = dir.Write("file", "");
  EXPECT_EQ(OpenFolderScan(AnyId, T(dir.str() + "/missing"), u"*.*"), 0);
  EXPECT_EQ(OpenFolderScan(AnyId, T(file), u"*.*"), 0);  // a file is not a folder
  // every still-open scan is closed by the release-all walk; none should remain from the failures
  CloseAllFolderScans();
  const int64_t scan = OpenFolderScan(AnyId, T(dir.str()), u"*.*");
  EXPECT_NE(scan, 0);
  CloseFolderScan(scan);
}

TEST(FolderScan, NumbersWithoutAnOpenScanGiveNothing) {
  EXPECT_EQ(FolderEntryName(3), u"");
  EXPECT_EQ(FolderEntryKind(3), 0);
  EXPECT_EQ(FolderEntrySize(3), 0u);
  EXPECT_EQ(NextFolderEntry(3), 0);
  EXPECT_EQ(NextFolderEntry(-7), 0);
  CloseFolderScan(AnyId);
  CloseFolderScan(12345);
}

TEST(FolderScan, ReadingBeforeTheFirstNextGivesTheEntryTheOpenFetched) {
  TempDir dir;
  dir.Write("one.txt", "1");
  ASSERT_NE(OpenFolderScan(0, T(dir.str()), u"one.txt"), 0);
  EXPECT_EQ(FolderEntryName(0), u"one.txt");
  EXPECT_EQ(NextFolderEntry(0), 1);
  EXPECT_EQ(FolderEntryName(0), u"one.txt");
  CloseFolderScan(0);
}

TEST(FolderScan, CloseAllClosesEveryOpenScan) {
  TempDir dir;
  ASSERT_NE(OpenFolderScan(4, T(dir.str()), u"*.*"), 0);
  const int64_t a = OpenFolderScan(AnyId, T(dir.str()), u"*.*");
  const int64_t b = OpenFolderScan(AnyId, T(dir.str()), u"*.*");
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  CloseAllFolderScans();
  EXPECT_EQ(NextFolderEntry(4), 0);
  EXPECT_EQ(NextFolderEntry(a), 0);
  EXPECT_EQ(FolderEntryKind(b), 0);
}

}  // namespace
}  // namespace files
