#include "platform/file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

TEST(File, ExclusiveOpenRefusesASecondOpenUntilTheFirstCloses) {
  TempDir dir;
  const std::string path = dir.Write("a.txt", "keep");
  FileOpenOptions exclusive{FileMode::OpenAlways, AccessRead | AccessWrite, FileShare::None};
  const FileHandle first = FileOpen(U16(path), exclusive);
  ASSERT_GE(first, 3);
  // create-always on a held file must fail without emptying it
  FileOpenOptions create{FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None};
  EXPECT_EQ(FileOpen(U16(path), create), kInvalidFile);
  FileClose(first);
  EXPECT_EQ(ReadFileBytes(path), "keep");  // read once nobody holds it: Windows refuses readers too
  const FileHandle second = FileOpen(U16(path), create);
  ASSERT_NE(second, kInvalidFile);
  EXPECT_EQ(ReadFileBytes(path), "");
  FileClose(second);
}

TEST(File, SharedReadersCoexistButExcludeWriters) {
  TempDir dir;
  const std::string path = dir.Write("a.bin", "x");
  FileOpenOptions reader{FileMode::OpenExisting, AccessRead, FileShare::Read};
  const FileHandle a = FileOpen(U16(path), reader), b = FileOpen(U16(path), reader);
  EXPECT_NE(a, kInvalidFile);
  EXPECT_NE(b, kInvalidFile);
  EXPECT_EQ(FileOpen(U16(path), {FileMode::OpenExisting, AccessWrite, FileShare::None}), kInvalidFile);
  FileClose(a);
  FileClose(b);
}

TEST(File, OpenModesCreateOrRequireTheFile) {
  TempDir dir;
  const std::u16string missing = U16(dir.str() + "/missing");
  EXPECT_EQ(FileOpen(missing, {FileMode::OpenExisting, AccessRead, FileShare::None}), kInvalidFile);
  EXPECT_EQ(FileOpen(missing, {FileMode::TruncateExisting, AccessWrite, FileShare::None}), kInvalidFile);
  const FileHandle created = FileOpen(missing, {FileMode::OpenAlways, AccessRead | AccessWrite, FileShare::None});
  ASSERT_NE(created, kInvalidFile);
  EXPECT_EQ(FileSize(created), 0);
  FileClose(created);
  // a parent that does not exist, and a file standing where a folder should be
  EXPECT_EQ(FileOpen(U16(dir.str() + "/no/such/x"), {FileMode::CreateAlways, AccessWrite, FileShare::None}),
            kInvalidFile);
  const std::string file = dir.Write("plain", "");
  EXPECT_EQ(FileOpen(U16(file + "/x"), {FileMode::CreateAlways, AccessWrite, FileShare::None}), kInvalidFile);
}

TEST(File, ReadWriteSeekAndSize) {
  TempDir dir;
  const FileHandle f =
      FileOpen(U16(dir.str() + "/rw"), {FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None});
  ASSERT_NE(f, kInvalidFile);
  EXPECT_EQ(FileWrite(f, "hello", 5), 5);
  EXPECT_EQ(FileSeek(f, -3, SeekFrom::Current), 2);
  char buffer[8] = {};
  EXPECT_EQ(FileRead(f, buffer, 8), 3);
  EXPECT_STREQ(buffer, "llo");
  EXPECT_EQ(FileSize(f), 5);
  EXPECT_EQ(FileWrite(f, "", 0), 0);
  FileClose(f);
}

}  // namespace
}  // namespace platform
