// Handles, sharing and pseudo file systems; open modes show through the text files' tests.
#include "platform/file.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <fstream>

#include "platform/file_system_kind.h"
#endif

#include <gtest/gtest.h>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::ReadFileBytes;
using testsupport::W;

class File : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

// An exclusive holder shows in the text files' tests.
TEST_F(File, ReadersSharingReadExcludeWriters) {
  const std::string path = dir_.Write("a.txt", "keep");
  const FileOpenOptions reader{FileMode::OpenExisting, AccessRead, FileShare::Read};
  const FileHandle a = FileOpen(W(path), reader), b = FileOpen(W(path), reader);
  EXPECT_NE(a, kInvalidFile);
  EXPECT_NE(b, kInvalidFile);
  EXPECT_EQ(FileOpen(W(path), {FileMode::OpenExisting, AccessWrite, FileShare::None}), kInvalidFile);
  FileClose(a);
  FileClose(b);
  EXPECT_EQ(ReadFileBytes(path), "keep");
}

#if defined(_WIN32)
// What a handle the test opens with the system's own call admits; the held file is left as it was.
TEST_F(File, FilesHeldByAnotherHandleAdmitWhatItsShareModeAllows) {
  struct Case {
    DWORD share;  // of the other handle, which reads
    FileOpenOptions options;
    bool admitted;
  };
  const Case cases[] = {
      {0, {FileMode::OpenExisting, AccessRead, FileShare::Read}, false},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessRead, FileShare::Read}, true},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessRead, FileShare::None}, false},
      {FILE_SHARE_READ, {FileMode::OpenExisting, AccessWrite, FileShare::Read}, false},
  };
  const std::string path = dir_.Write("held.txt", "keep");
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
    EXPECT_EQ(ReadFileBytes(path), "keep");
  }
}

TEST_F(File, BothSeparatorsNameOneFileAndAZeroUnitNone) {
  const FileOpenOptions regular{FileMode::OpenExisting, AccessRead, FileShare::Read, true};
  dir_.Write("sub/a.txt", "abc");
  const std::u16string mixed = W(dir_.path()) + u"/sub\\a.txt";
  ASSERT_EQ(mixed.substr(1, 2), u":\\") << "the temporary folder is on a drive";
  const FileHandle file = FileOpen(mixed, regular);
  ASSERT_NE(file, kInvalidFile);
  EXPECT_EQ(FileSize(file), 3);
  FileClose(file);
  EXPECT_EQ(FileOpen(mixed + u'\0' + u"x", regular), kInvalidFile);
  EXPECT_EQ(FileOpen(u"", regular), kInvalidFile);
}
#else
TEST_F(File, HandlesStayAboveTheStandardStreams) {
  const std::string path = dir_.Write("x", "1");
  const int saved = dup(0);
  close(0);
  const FileHandle f = FileOpen(W(path), {FileMode::OpenExisting, AccessRead, FileShare::None});
  dup2(saved, 0);
  close(saved);
  EXPECT_GE(f, 3);
  FileClose(f);
}

std::string MountType(const std::string& mount_point) {
  std::ifstream mounts("/proc/self/mounts");
  std::string source, point, type, rest;
  std::string found;
  while (mounts >> source >> point >> type && std::getline(mounts, rest))
    if (point == mount_point) found = type;
  return found;
}

TEST(FileSystemKind, KernelFileSystemsArePseudoAndRealOnesAreNot) {
  testsupport::TempDir dir;
  struct Case {
    std::string path;
    bool pseudo;
  };
  std::vector<Case> cases = {{"/proc", true}, {"/", false}, {dir.str(), false}, {dir.str() + "/missing", false}};
  // tmpfs is pseudo only where the mount table calls it devtmpfs.
  if (MountType("/dev") == "devtmpfs") cases.push_back({"/dev", true});
  if (MountType("/dev/shm") == "tmpfs") cases.push_back({"/dev/shm", false});
  for (const Case& c : cases) EXPECT_EQ(IsOnPseudoFileSystem(Utf8ToUtf16(c.path)), c.pseudo) << c.path;
}

#endif

}  // namespace
}  // namespace platform
