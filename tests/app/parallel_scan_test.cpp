// The scan measures pictures without loading them: its sizes must be the full loads', and the threaded
// scan must write the one-thread scan's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "image/image.h"
#include "platform/bitmap.h"
#include "tests/app/scene_build_support.h"
#include "tests/image/encoders.h"

namespace app {
namespace {

using namespace scenetest;

// Seeds that declare huge pictures fail at the bitmap limit in milliseconds instead of filling
// gigabytes; loads and measurements share the limit.
class ParallelScan : public SceneBuild {
 protected:
  static void SetUpTestSuite() {
    SceneBuild::SetUpTestSuite();
    platform::SetBitmapByteLimit(uint64_t{64} << 20);
  }
  static void TearDownTestSuite() { platform::SetBitmapByteLimit(platform::kBitmapMaxBytes); }
};

// Every picture file the project keeps goes into nested folders under picked and unpicked endings,
// whole, cut in half and without its last byte: truncation is where measurements and loads most
// easily part.
TEST_F(ParallelScan, TheSceneHoldsTheFullLoadsSizesForEveryThreadCount) {
  const char* endings[] = {".png", ".JPG", ".gif", ".hdr", ".Png", ".jpeg"};
  int files = 0;
  for (const char* folder : {SB_APP_FIXTURES, SB_IMAGE_FIXTURES, SB_FUZZ_CORPUS}) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      const std::string bytes = ReadFileBytes(entry.path());
      for (const size_t size : {bytes.size(), bytes.size() / 2, bytes.size() - 1}) {
        const std::string name = "f" + std::to_string(files) + endings[files % 6];
        tree_.Write("d" + std::to_string(files % 7) + "/e" + std::to_string(files % 3) + "/" + name,
                    bytes.substr(0, size));
        ++files;
      }
    }
  }
  const BuildRun one = BuildTree(1);
  ASSERT_GT(one.listed.size(), 300u);
  std::string expected;
  size_t loads = 0;
  for (const std::string& relative : one.listed) {
    const std::string bytes = ReadFileBytes(tree_.path() / testsupport::PathFromUtf8(relative));
    const auto size = static_cast<int32_t>(bytes.size());
    const ObjectNumber image = image::LoadImageMemory(image::AnyId, bytes.data(), size);
    loads += image != 0;
    expected += image ? Line(InScene(relative), image::ImagePixelWidth(image), image::ImagePixelHeight(image))
                      : Line(InScene(relative), 100, 100);
    if (image) image::ReleaseImage(image);
  }
  EXPECT_EQ(one.scene, expected);
  // Both outcomes must be well represented, or the comparison proves little.
  EXPECT_GT(loads, 100u);
  EXPECT_GT(one.listed.size() - loads, 100u);
  for (int jobs : {2, 8}) {
    const BuildRun many = BuildTree(jobs);
    EXPECT_EQ(many.listed, one.listed) << jobs << " threads";
    EXPECT_EQ(many.scene, one.scene) << jobs << " threads";
  }
  EXPECT_EQ(platform::LiveGraphicsObjects(), 0);
}

#ifndef _WIN32
// The batch program's peak resident memory, in bytes, building `folder` with `jobs` threads from the
// folder `current`, where it looks for its templates.
uint64_t PeakMemoryOfScan(const std::string& folder, int jobs, const std::string& current) {
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(current.c_str()) != 0) _exit(126);
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    const std::string count = std::to_string(jobs);
    execl(SB_SCENE_BUILDER, SB_SCENE_BUILDER, "--jobs", count.c_str(), folder.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  EXPECT_EQ(wait4(child, &status, 0, &usage), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  return uint64_t(usage.ru_maxrss) << 10;
}

std::string Text(const testimg::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A few kilobytes that declare gigabytes for libjpeg's coefficients or giflib's frames, beside
// files that take much of the image budget while they are measured: whatever the number of threads,
// the scan keeps within its memory (2.5 GiB, and a little per worker for what passes uncounted), and
// writes the pictures' sizes, or 100 x 100 for the refused ones. The two CMYK pictures together would
// pass that bound; the 20000 x 20000 one takes 1.2 GB.
TEST_F(ParallelScan, HeadersAskingForGigabytesKeepTheScanWithinItsMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's shadow memory and quarantine count as resident: no bound to check";
#endif
  testimg::JpegSource cmyk{16, 16, 4, true, 90, std::vector<uint8_t>(16 * 16 * 4, 0x80)};
  testimg::JpegSource colour{16, 16, 3, true, 90, std::vector<uint8_t>(16 * 16 * 3, 0x80)};
  const testimg::Bytes cmyk_file = testimg::EncodeJpeg(cmyk), colour_file = testimg::EncodeJpeg(colour);
  // One 4000 x 4000 frame written once, its records repeated to 200 frames.
  const std::vector<GifColorType> map = {{0, 0, 0}, {255, 255, 255}};
  testimg::GifFrameSource frame{0, 0, 4000, 4000, std::vector<uint8_t>(4000 * 4000, 1)};
  const testimg::Bytes one = testimg::EncodeGif({4000, 4000, 0, map, {frame}});
  const size_t frame_start = 13 + 3 * map.size();
  std::string frames = Text(testimg::Bytes(one.begin(), one.begin() + long(frame_start)));
  for (int i = 0; i < 200; ++i) frames += Text(testimg::Bytes(one.begin() + long(frame_start), one.end() - 1));
  const struct {
    const char* name;
    std::string bytes;
    int width = 100, height = 100;
  } files[] = {
      {"a.jpg", Text(testimg::Resized(cmyk_file, 14000, 14000)), 14000, 14000},  // 1.6 GB of coefficients
      {"b.jpg", Text(testimg::Resized(cmyk_file, 14000, 14000)), 14000, 14000},
      {"c.jpg", Text(testimg::Resized(colour_file, 20000, 20000)), 20000, 20000},
      {"d.jpg", Text(testimg::Resized(cmyk_file, 26000, 27500))},  // 5.7 GB
      {"e.jpg", Text(testimg::Resized(cmyk_file, 16384, 16392))},  // a block row past 2 GiB
      {"f.gif", frames + ";"},                                     // 3.2 GB
  };
  std::string expected;
  for (const auto& file : files) {
    tree_.Write(file.name, file.bytes);
    expected += Line(file.name, file.width, file.height);
  }
  for (int jobs : {1, 2, 8}) {
    const uint64_t peak = PeakMemoryOfScan(tree_.str(), jobs, templates_.str());
    EXPECT_LE(peak, (uint64_t{5} << 29) + uint64_t(jobs) * (uint64_t{32} << 20)) << jobs << " threads";
    EXPECT_EQ(ReadFileBytes(tree_.path() / "image_scan.pov"), expected) << jobs << " threads";
  }
}
#endif

}  // namespace
}  // namespace app
