// File handles on Windows: share modes against handles the test opens with the system's own call,
// device names and both separators.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::W;

// What a handle held elsewhere admits; the held file is left as it was.
TEST(FileWin32, FilesHeldByAnotherHandleAdmitWhatItsShareModeAllows) {
  struct Case {
    DWORD share;  // of the other handle, which reads
    FileOpenOptions options;
    bool admitted;
  };
  const Case cases[] = {
      {0, {FileMode::OpenExisting, AccessRead, FileShare::Read}, false},
      {0, {FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None}, false},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessRead, FileShare::Read}, true},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessRead, FileShare::None}, false},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessWrite, FileShare::Read}, false},
  };
  testsupport::TempDir dir;
  const std::string path = dir.Write("held.txt", "keep");
  for (const Case& c : cases) {
    const HANDLE holder = ::CreateFileW(std::filesystem::path(path).wstring().c_str(), GENERIC_READ, c.share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    errno = 0;
    const FileHandle file = FileOpen(W(path), c.options);
    EXPECT_EQ(file != kInvalidFile, c.admitted) << &c - cases;
    EXPECT_EQ(errno, c.admitted ? 0 : EBUSY) << &c - cases;
    FileClose(file);
    ::CloseHandle(holder);
    EXPECT_EQ(testsupport::ReadFileBytes(path), "keep");
  }
}

TEST(FileWin32, DeviceNamesAreNoRegularFilesAndBothSeparatorsNameOneFile) {
  testsupport::TempDir dir;
  const FileOpenOptions regular{FileMode::OpenExisting, AccessRead, FileShare::Read, true};
  for (const char* name : {"nul.png", "NUL", "con.gif"})
    EXPECT_EQ(FileOpen(W(dir.path() / name), regular), kInvalidFile);
  EXPECT_EQ(FileOpen(W(dir.path()), regular), kInvalidFile) << "a folder";
  dir.Write("sub/a.txt", "abc");
  const std::u16string mixed = W(dir.path()) + u"/sub\\a.txt";
  ASSERT_EQ(mixed.substr(1, 2), u":\\") << "the temporary folder is on a drive";
  const FileHandle file = FileOpen(mixed, regular);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(FileSize(file), 3);
  FileClose(file);
  EXPECT_EQ(FileOpen(mixed + u'\0' + u"x", regular), kInvalidFile);  // a zero unit is no part of a name
  EXPECT_EQ(FileOpen(u"", regular), kInvalidFile);
}

}  // namespace
}  // namespace platform
