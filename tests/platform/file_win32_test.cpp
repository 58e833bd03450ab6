// File handles on Windows: share modes against handles the test opens with the system's own call,
// device names and both separators.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;

std::u16string U16(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
}

HANDLE Hold(const std::filesystem::path& path, DWORD access, DWORD share) {
  return ::CreateFileW(path.wstring().c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(FileWin32, AFileHeldWithoutSharingIsRefusedAndLeftIntact) {
  TempDir dir;
  const auto path = dir.path() / "held.txt";
  dir.Write("held.txt", "keep");
  const HANDLE holder = Hold(path, GENERIC_READ, 0);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileOpen(U16(path), {FileMode::OpenExisting, AccessRead, FileShare::Read}), kInvalidFile);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(FileOpen(U16(path), {FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None}), kInvalidFile);
  ::CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(path.string()), "keep");
  const FileHandle reopened = FileOpen(U16(path), {FileMode::OpenExisting, AccessRead, FileShare::None});
  EXPECT_NE(reopened, kInvalidFile);
  FileClose(reopened);
}

TEST(FileWin32, ReadersSharingReadAdmitReadersOnly) {
  TempDir dir;
  const auto path = dir.path() / "shared.bin";
  dir.Write("shared.bin", "x");
  const HANDLE reader = Hold(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  const FileHandle alongside = FileOpen(U16(path), {FileMode::OpenExisting, AccessRead, FileShare::Read});
  EXPECT_NE(alongside, kInvalidFile);
  FileClose(alongside);
  EXPECT_EQ(FileOpen(U16(path), {FileMode::OpenExisting, AccessRead, FileShare::None}), kInvalidFile);
  EXPECT_EQ(FileOpen(U16(path), {FileMode::OpenExisting, AccessWrite, FileShare::Read}), kInvalidFile);
  ::CloseHandle(reader);
}

TEST(FileWin32, DeviceNamesAreNoRegularFiles) {
  TempDir dir;
  const FileOpenOptions regular{FileMode::OpenExisting, AccessRead, FileShare::Read, true};
  for (const char* name : {"nul.png", "NUL", "con.gif"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FileOpen(U16(dir.path() / name), regular), kInvalidFile);
  }
  EXPECT_EQ(FileOpen(U16(dir.path()), regular), kInvalidFile) << "a folder";
}

TEST(FileWin32, BothSeparatorsAndTheDriveLetterNameOneFile) {
  TempDir dir;
  dir.Write("sub/a.txt", "abc");
  std::u16string mixed = U16(dir.path()) + u"/sub\\a.txt";
  ASSERT_EQ(mixed.substr(1, 2), u":\\") << "the temporary folder is on a drive";
  const FileHandle file = FileOpen(mixed, {FileMode::OpenExisting, AccessRead, FileShare::Read});
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(FileSize(file), 3);
  FileClose(file);
}

}  // namespace
}  // namespace platform
