#include "platform/file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::ReadFileBytes;
using testsupport::W;

class File : public ::testing::Test {
 protected:
  std::u16string PathOf(const std::string& name) const { return W(dir_.path() / name); }
  testsupport::TempDir dir_;
};

// Each mode against a file that exists ("old"), one that is missing, and one below a missing folder
// or a file standing where a folder should be.
TEST_F(File, OpenModesCreateEmptyOrRequireTheFile) {
  struct Case {
    FileMode mode;
    const char* existing;  // what the existing file holds afterwards
    bool creates_missing;
  };
  const Case cases[] = {{FileMode::CreateAlways, "", true},
                        {FileMode::OpenAlways, "old", true},
                        {FileMode::OpenExisting, "old", false},
                        {FileMode::TruncateExisting, "", false},
                        {FileMode::CreateNew, nullptr, true}};
  dir_.Write("plain", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    const FileOpenOptions options{c.mode, AccessRead | AccessWrite, FileShare::None};
    const std::string existing = dir_.Write("existing", "old");
    const FileHandle file = FileOpen(PathOf("existing"), options);
    EXPECT_EQ(file != kInvalidFile, c.existing != nullptr);
    FileClose(file);
    EXPECT_EQ(ReadFileBytes(existing), c.existing ? c.existing : "old");
    std::filesystem::remove(dir_.path() / "missing");
    const FileHandle created = FileOpen(PathOf("missing"), options);
    EXPECT_EQ(created != kInvalidFile, c.creates_missing);
    EXPECT_EQ(FileSize(created), c.creates_missing ? 0 : -1);
    FileClose(created);
    EXPECT_EQ(FileOpen(PathOf("no/such/x"), options), kInvalidFile);
    EXPECT_EQ(FileOpen(PathOf("plain/x"), options), kInvalidFile);
  }
}

// Nobody else may open an exclusively held file, and a refused create-always does not empty it;
// readers sharing read coexist but exclude writers.
TEST_F(File, SharingRefusesWhatTheHolderExcludes) {
  const std::string path = dir_.Write("a.txt", "keep");
  const FileOpenOptions create{FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None};
  const FileHandle first = FileOpen(W(path), {FileMode::OpenAlways, AccessRead | AccessWrite, FileShare::None});
  ASSERT_GE(first, 3);
  EXPECT_EQ(FileOpen(W(path), create), kInvalidFile);
  EXPECT_EQ(FileOpen(W(path), {FileMode::OpenExisting, AccessRead, FileShare::Read}), kInvalidFile);
  FileClose(first);
  EXPECT_EQ(ReadFileBytes(path), "keep");  // read once nobody holds it: Windows refuses readers too
  const FileOpenOptions reader{FileMode::OpenExisting, AccessRead, FileShare::Read};
  const FileHandle a = FileOpen(W(path), reader), b = FileOpen(W(path), reader);
  EXPECT_NE(a, kInvalidFile);
  EXPECT_NE(b, kInvalidFile);
  EXPECT_EQ(FileOpen(W(path), {FileMode::OpenExisting, AccessWrite, FileShare::None}), kInvalidFile);
  FileClose(a);
  FileClose(b);
  const FileHandle second = FileOpen(W(path), create);
  ASSERT_NE(second, kInvalidFile);
  EXPECT_EQ(ReadFileBytes(path), "");
  FileClose(second);
}

TEST_F(File, ReadWriteSeekAndSize) {
  const FileHandle f = FileOpen(PathOf("rw"), {FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None});
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
