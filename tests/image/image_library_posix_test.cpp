// Loading from what only POSIX systems have: FIFOs and character devices named like images.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "image/image.h"
#include "runtime/text.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

class ImageLibraryPosix : public ::testing::Test {
 protected:
  void SetUp() override { InitImageLibrary(); }
  void TearDown() override { ReleaseAllImages(); }
};

TEST_F(ImageLibraryPosix, FifoNamedLikeAnImageFailsAtOnce) {
  testsupport::TempDir dir;
  const std::string fifo = dir.str() + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto load = std::async(std::launch::async, [&] { return LoadImageFile(AnyId, runtime::TextFromUtf8(fifo)); });
  if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the blocked open go before failing.
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
    FAIL() << "the load blocked on a FIFO";
  }
  EXPECT_EQ(load.get(), 0);
  EXPECT_EQ(LoadImageFile(AnyId, u"/dev/zero"), 0);
}

}  // namespace
}  // namespace image
