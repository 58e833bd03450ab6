// Memory use of a hostile PNG, measured as a child process's peak, which POSIX reports.
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "image/decoders.h"
#include "tests/image/encoders.h"

namespace {

// A text chunk that declares 1.5 GiB in a file of a hundred bytes: the check refuses the file
// without allocating anything of that size.
TEST(PngDecoder, HugeDeclaredAncillaryChunkTakesNoMemory) {
  const testimg::Bytes png = testimg::EncodePng({4, 4, PNG_COLOR_TYPE_GRAY, 8, false, std::vector<uint16_t>(16, 0)});
  testimg::Bytes hostile(png.begin(), png.begin() + 33);  // signature and IHDR
  const uint8_t text[] = {0x60, 0x00, 0x00, 0x00, 't', 'E', 'X', 't', 'k', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'};
  for (uint8_t byte : text) hostile.push_back(byte);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(testimg::DecodeWith(image::kPngDecoder, hostile).accepted ? 1 : 0);
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_LT(usage.ru_maxrss, 512L * 1024);  // kilobytes
}

}  // namespace
