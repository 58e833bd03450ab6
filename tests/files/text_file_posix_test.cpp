// Text files: permissions and FIFOs, which only POSIX systems have.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "files/text_file.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::ReadFileBytes;
using testsupport::T;
using testsupport::TempDir;

class TextFilePosix : public ::testing::Test {
 protected:
  void SetUp() override { InitFileLibrary(); }
  void TearDown() override { CloseAllTextFiles(); }

  Text PathOf(const std::string& name) const { return T(dir_.str() + "/" + name); }

  TempDir dir_;
};

// A file that may be written but not read: OpenTextFile is refused, CreateTextFile still empties and
// writes it. Runs in a child without privileges, since root may read anything.
TEST_F(TextFilePosix, CreateFallsBackToWriteOnlyForAnUnreadableFile) {
  constexpr uid_t kNobody = 65534;
  const std::string path = dir_.Write("write-only.txt", "old\r\n");
  ASSERT_EQ(chmod(dir_.str().c_str(), 0777), 0);
  ASSERT_EQ(chmod(path.c_str(), 0200), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && setuid(kNobody) != 0) _exit(10);
    if (OpenTextFile(1, T(path)) != 0) _exit(11);
    const ObjectNumber number = CreateTextFile(AnyId, T(path));
    if (number == 0) _exit(12);
    if (EndOfFile(number) == 0) _exit(13);  // nothing can be read, so nothing is left to read
    WriteLine(number, u"new");
    CloseTextFile(number);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(path), "new\r\n");
}

// A disk that fills up: the failure is remembered (even when it happens while writing out the buffer
// at the end) and told by FinishTextFile; with room enough, both report success.
TEST_F(TextFilePosix, FailedWritesAreRememberedAndToldWhenFinishing) {
  struct Case {
    int64_t room;  // bytes the "disk" takes
    bool buffered;
    int64_t error_while_open;  // what TextFileError says before the last flush
    int64_t error_at_finish;
  };
  const std::string line(98, 'x');  // 100 bytes with CR LF; 60 lines: 6000 bytes, one buffer flush on the way
  const Case cases[] = {
      {-1, true, 0, 0},        {6000, true, 0, 0},      {6000, false, 0, 0},          {0, true, ENOSPC, ENOSPC},
      {4096, true, 0, ENOSPC}, {5999, true, 0, ENOSPC}, {3000, false, ENOSPC, ENOSPC}};
  for (const Case& c : cases) {
    SCOPED_TRACE("room " + std::to_string(c.room) + (c.buffered ? " buffered" : " unbuffered"));
    detail::FailBufferAllocationForTesting(!c.buffered);
    const std::string path = dir_.str() + "/full.txt";
    ASSERT_NE(CreateTextFile(1, T(path)), 0);
    platform::FailWritesAfterForTesting(c.room);
    for (int i = 0; i < 60; ++i) WriteLine(1, T(line));
    EXPECT_EQ(TextFileError(1), c.error_while_open);
    EXPECT_EQ(FinishTextFile(1), c.error_at_finish);
    platform::FailWritesAfterForTesting(-1);
    EXPECT_EQ(TextFileError(1), 0);  // the number is free again
    EXPECT_EQ(static_cast<int64_t>(ReadFileBytes(path).size()), c.room < 0 ? 6000 : std::min<int64_t>(c.room, 6000));
  }
  EXPECT_EQ(FinishTextFile(7), EBADF);
}

TEST_F(TextFilePosix, CreateNewRefusesATakenNameAndNeverFollowsALink) {
  ASSERT_EQ(mkfifo((dir_.str() + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(OpenTextFile(4, PathOf("fifo")), 0);  // refused before it can block the first read
  const std::string taken = dir_.Write("taken.txt", "keep");
  std::filesystem::create_symlink(dir_.path() / "target.txt", dir_.path() / "dangling");
  std::filesystem::create_symlink(taken, dir_.path() / "to-taken");
  for (const char* name : {"taken.txt", "dangling", "to-taken"}) {
    SCOPED_TRACE(name);
    errno = 0;
    EXPECT_EQ(CreateNewTextFile(AnyId, PathOf(name)), 0);
    EXPECT_EQ(errno, EEXIST);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "target.txt"));
  EXPECT_EQ(ReadFileBytes(taken), "keep");
  ASSERT_NE(CreateNewTextFile(2, PathOf("fresh.txt")), 0);
  WriteLine(2, u"new");
  EXPECT_EQ(FinishTextFile(2), 0);
  EXPECT_EQ(ReadFileBytes(dir_.str() + "/fresh.txt"), "new\r\n");
}

}  // namespace
}  // namespace files
