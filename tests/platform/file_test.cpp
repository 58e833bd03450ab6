// Files and folders as the system has them: handles, open modes and sharing, folder identities, and
// on POSIX systems the kernel's pseudo file systems.
#include "platform/file.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <fstream>

#include "platform/file_system_kind.h"
#endif

#include <gtest/gtest.h>

#include "platform/identity.h"
#include "platform/unicode.h"
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

// An exclusive holder is covered by the text files' tests; readers sharing read coexist but exclude
// writers.
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

// One folder by any path, different folders apart, and what cannot be examined is no identity.
TEST(Identity, OneFolderByAnyPathAndDifferentFoldersApart) {
  testsupport::TempDir dir;
  dir.Mkdir("sub/deeper");
  ObjectIdentity sub, same, other;
  ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + "/sub"), &sub));
  for (const char* spelling : {"/sub/deeper/..", "/sub/"}) {
    ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + spelling), &same)) << spelling;
    EXPECT_EQ(same, sub) << spelling;
  }
  for (const char* elsewhere : {"/sub/deeper", ""}) {
    ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + elsewhere), &other)) << elsewhere;
    EXPECT_FALSE(other == sub) << elsewhere;
  }
  for (const std::u16string& missing :
       {Utf8ToUtf16(dir.str() + "/missing"), std::u16string(), std::u16string(u"a\0b", 3)})
    EXPECT_FALSE(IdentityOf(missing, &other));
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
      {0, {FileMode::CreateAlways, AccessRead | AccessWrite, FileShare::None}, false},
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

// The file system type the mount table gives for a mount point, or "".
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
  std::filesystem::create_directory_symlink("/proc", dir.path() / "proc-link");
  struct Case {
    std::string path;
    bool pseudo;
  };
  std::vector<Case> cases = {
      {"/proc", true},
      {"/proc/self/fd", true},
      {dir.str() + "/proc-link", true},  // links are followed
      {"/sys", true},
      {"/", false},
      {dir.str(), false},
      {dir.str() + "/missing", false},
  };
  // The machine decides which of these exist and how they are mounted.
  if (MountType("/dev") == "devtmpfs") cases.push_back({"/dev", true});
  if (MountType("/dev/pts") == "devpts") cases.push_back({"/dev/pts", true});
  if (MountType("/dev/shm") == "tmpfs") cases.push_back({"/dev/shm", false});
  if (MountType("/sys/fs/cgroup") == "cgroup2") cases.push_back({"/sys/fs/cgroup", true});
  for (const Case& c : cases) EXPECT_EQ(IsOnPseudoFileSystem(Utf8ToUtf16(c.path)), c.pseudo) << c.path;
}

#endif

}  // namespace
}  // namespace platform
