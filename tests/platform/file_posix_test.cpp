// File handles: what only POSIX systems have (FIFOs, descriptor numbers).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::W;

TEST(FilePosix, RegularOnlyRefusesFifosAndFoldersAndHandlesStayAboveTheStandardStreams) {
  testsupport::TempDir dir;
  const std::string fifo = dir.str() + "/pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const FileOpenOptions regular{FileMode::OpenExisting, AccessRead, FileShare::Read, true};
  EXPECT_EQ(FileOpen(W(fifo), regular), kInvalidFile);  // without blocking
  EXPECT_EQ(FileOpen(W(dir.str()), regular), kInvalidFile);

  const std::string path = dir.Write("x", "1");
  const int saved = dup(0);
  close(0);
  const FileHandle f = FileOpen(W(path), {FileMode::OpenExisting, AccessRead, FileShare::None});
  dup2(saved, 0);
  close(saved);
  EXPECT_GE(f, 3);
  FileClose(f);
}

}  // namespace
}  // namespace platform
