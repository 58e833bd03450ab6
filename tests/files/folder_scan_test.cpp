// Folder scans, and through them the system's enumeration: dot entries first, then names in order.
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
using Entries = std::vector<std::string>;

// Every entry as "name kind" and, for files, " size", in the order delivered.
Entries ListAll(ObjectNumber number) {
  Entries entries;
  while (NextFolderEntry(number))
    entries.push_back(runtime::TextToUtf8(FolderEntryName(number)) + " " + std::to_string(FolderEntryKind(number)) +
                      (FolderEntryKind(number) == EntryFile ? " " + std::to_string(FolderEntrySize(number)) : ""));
  EXPECT_EQ(NextFolderEntry(number), 0);  // the end stays the end
  return entries;
}

Entries Scan(const Text& folder, const Text& pattern) {
  const int64_t scan = OpenFolderScan(AnyId, folder, pattern);
  const Entries entries = scan ? ListAll(scan) : Entries{"not opened"};
  CloseFolderScan(scan);
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
  const Entries all = {". 2", ".. 2", "a.txt 1 0", "b.png 1 3", "sub 2"};
  // An empty pattern means everything; nothing matched is open, but empty.
  const std::pair<Text, Entries> cases[] = {{u"*.*", all}, {u"", all}, {u"*.png", {"b.png 1 3"}}, {u"*.gif", {}}};
  for (const auto& [pattern, entries] : cases) {
    SCOPED_TRACE(runtime::TextToUtf8(pattern));
    EXPECT_EQ(Scan(T(dir_.str()), pattern), entries);
    EXPECT_EQ(Scan(T(dir_.str() + "/"), pattern), entries);
  }
  EXPECT_EQ(Scan(T(dir_.str() + "/missing"), u""), Entries{"not opened"});
  EXPECT_EQ(Scan(T(dir_.str() + "/a.txt"), u""), Entries{"not opened"});  // a file is not a folder
}

TEST_F(FolderScan, SparseFileOver4GiBReportsItsFullSize) {
  const uint64_t size = (uint64_t{5} << 30) + 7;
  std::ofstream(dir_.path() / "big.bin", std::ios::binary).put('x');
  std::filesystem::resize_file(dir_.path() / "big.bin", size);
  EXPECT_EQ(Scan(T(dir_.str()), u"big.bin"), Entries{"big.bin 1 " + std::to_string(size)});
}

// The open fetches the first entry; a reopen starts afresh and a failed one leaves nothing behind.
TEST_F(FolderScan, NumbersAreReusedClosedAndOtherwiseGiveNothing) {
  dir_.Write("only", "1");
  ASSERT_NE(OpenFolderScan(2, T(dir_.str()), u"only"), 0);
  EXPECT_EQ(FolderEntryName(2), u"only");
  EXPECT_EQ(ListAll(2), Entries{"only 1 1"});
  ASSERT_NE(OpenFolderScan(2, T(dir_.str()), u"only"), 0);
  EXPECT_EQ(ListAll(2), Entries{"only 1 1"});
  EXPECT_EQ(OpenFolderScan(2, T(dir_.str() + "/missing"), u"*.*"), 0);
  for (ObjectNumber number : {ObjectNumber{2}, ObjectNumber{3}, ObjectNumber{-7}}) {
    EXPECT_EQ(NextFolderEntry(number), 0);
    EXPECT_EQ(FolderEntryName(number), u"");
    EXPECT_EQ(FolderEntryKind(number), 0);
    EXPECT_EQ(FolderEntrySize(number), 0u);
  }
  CloseFolderScan(12345);
}

#if defined(_WIN32)
// Names match without regard to case, drive roots have no dot entries, both separators work, and
// entries come in name order whatever the volume keeps.
TEST_F(FolderScan, WindowsSearchPathsAndTheNamesTheyFind) {
  for (const char16_t* name : {u"c.png", u"a.png", u"b", u"B2.PNG", u"\u00e4.png", u"\u4e2d\U0001F600.png"})
    std::ofstream(dir_.path() / std::filesystem::path(name), std::ios::binary) << "12";
  dir_.Write("sub/x.jpg", "");
  const Text folder = testsupport::W(dir_.path());
  const Entries sub = {". 2", ".. 2", "x.jpg 1 0"};
  const Entries png = {"a.png 1 2", "B2.PNG 1 2", "c.png 1 2", "\u00e4.png 1 2", "\u4e2d\U0001F600.png 1 2"};
  struct Case {
    Text folder, pattern;
    Entries entries;
  };
  const Case cases[] = {
      {folder, u"*", {". 2", ".. 2", "a.png 1 2", "b 1 2", "B2.PNG 1 2", "c.png 1 2", "sub 2", png[3], png[4]}},
      {folder, u"b2.png", {"B2.PNG 1 2"}},
      {folder + u"\\", u"*.png", png},
      {folder, u"\u4e2d\U0001F600.png", {png[4]}},
      {folder + u"\\sub", u"*.*", sub},
      {folder + u"/sub\\", u"*.*", sub},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(runtime::TextToUtf8(c.folder + u"|" + c.pattern));
    EXPECT_EQ(Scan(c.folder, c.pattern), c.entries);
  }
  const Entries root = Scan(u"c:/", u"*.*");
  EXPECT_FALSE(root.empty());
  EXPECT_NE(root.front(), ". 2");
  EXPECT_NE(root.front(), "not opened");
}
#else
// POSIX names are bytes: "B.png" and "b.png" are two files, tmpfs keeps the newest first, a link counts
// as what it points at and a name that is no UTF-8 still reopens.
TEST_F(FolderScan, PosixNamesComeSortedWithLinksAsTheirTargets) {
  const Entries sorted = {"!bang", "-dash", ".hidden", "B.png", "b.png", "dangling", "link", "sub", "_under"};
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    if (*it == "sub")
      dir_.Mkdir(*it);
    else if (*it == "link")
      std::filesystem::create_directory_symlink(dir_.path() / "sub", dir_.path() / *it);
    else if (*it == "dangling")
      std::filesystem::create_symlink("gone", dir_.path() / *it);
    else
      dir_.Write(*it, "");
  }
  Entries expected = {". 2", ".. 2"};
  for (const std::string& name : sorted)
    expected.push_back(name + (name == "sub" || name == "link" ? " 2" : name == "dangling" ? " 1 4" : " 1 0"));
  EXPECT_EQ(Scan(T(dir_.str()), u""), expected);

  dir_.Write("caf\xE9", "bytes");
  ASSERT_NE(OpenFolderScan(0, T(dir_.str()), u"caf*"), 0);
  ASSERT_EQ(NextFolderEntry(0), 1);
  const Text name = FolderEntryName(0);
  EXPECT_EQ(runtime::TextToUtf8(name), "caf\xE9");
  EXPECT_EQ(testsupport::ReadFileBytes(runtime::TextToUtf8(T(dir_.str() + "/") + name)), "bytes");
  EXPECT_EQ(Scan(T(dir_.str()), name), Entries{"caf\xE9 1 5"});
}
#endif

}  // namespace
}  // namespace files
