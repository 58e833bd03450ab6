// Text files: permissions and FIFOs, which only POSIX systems have.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/text_file.h"
#include "tests/support/temp_dir.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

Text T(const std::string& utf8) { return runtime::TextFromUtf8(utf8); }

class TextFilePosix : public ::testing::Test {
 protected:
  void SetUp() override { InitFileLibrary(); }
  void TearDown() override { CloseAllTextFiles(); }

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

TEST_F(TextFilePosix, FifoIsRefusedBeforeItCanBlockTheFirstRead) {
  ASSERT_EQ(mkfifo((dir_.str() + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(OpenTextFile(4, T(dir_.str() + "/fifo")), 0);
  EXPECT_EQ(EndOfFile(4), 0);
}

}  // namespace
}  // namespace files
