// File handles: what only POSIX systems have (FIFOs, descriptor numbers).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::TempDir;

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

TEST(File, RegularOnlyRefusesFifoWithoutBlockingAndFolders) {
  TempDir dir;
  const std::string fifo = dir.str() + "/pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  FileOpenOptions options{FileMode::OpenExisting, AccessRead, FileShare::Read, true};
  EXPECT_EQ(FileOpen(U16(fifo), options), kInvalidFile);
  EXPECT_EQ(FileOpen(U16(dir.str()), options), kInvalidFile);
}

TEST(File, HandlesStayAboveTheStandardStreamsWhenTheyAreClosed) {
  TempDir dir;
  const std::string path = dir.Write("x", "1");
  const int saved = dup(0);
  close(0);
  const FileHandle f = FileOpen(U16(path), {FileMode::OpenExisting, AccessRead, FileShare::None});
  dup2(saved, 0);
  close(saved);
  EXPECT_GE(f, 3);
  FileClose(f);
}

}  // namespace
}  // namespace platform
