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
// Peak resident bytes of the batch program building `folder` with `jobs` threads, started in `current`.
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

// Kilobytes that declare gigabytes for libjpeg's coefficients or giflib's frames, beside files that
// take much of the budget while measured (the two CMYK ones together would pass the bound): at every
// thread count the scan keeps within 2.5 GiB and a little per worker for what passes uncounted, and
// writes the pictures' sizes, or 100 x 100 for the refused ones.
TEST_F(ParallelScan, HeadersAskingForGigabytesKeepTheScanWithinItsMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's shadow memory and quarantine count as resident: no bound to check";
#endif
  const auto jpeg = [](int components, unsigned width, unsigned height) {  // progressive, 16 x 16 inside
    const std::vector<uint8_t> grey(16 * 16 * size_t(components), 0x80);
    const testimg::Bytes big =
        testimg::Resized(testimg::EncodeJpeg({16, 16, components, true, 90, grey}), width, height);
    return std::string(big.begin(), big.end());
  };
  // One 4000 x 4000 frame written once, its records repeated to 200 frames.
  const std::vector<GifColorType> map = {{0, 0, 0}, {255, 255, 255}};
  const testimg::Bytes one =
      testimg::EncodeGif({4000, 4000, 0, map, {{0, 0, 4000, 4000, std::vector<uint8_t>(16000000, 1)}}});
  const auto records = one.begin() + 13 + 3 * long(map.size());
  std::string gif(one.begin(), records);
  for (int i = 0; i < 200; ++i) gif.append(records, one.end() - 1);  // without the trailer
  const struct {
    const char* name;
    std::string bytes;
    int width = 100, height = 100;
  } files[] = {
      {"a.jpg", jpeg(4, 14000, 14000), 14000, 14000},  // 1.6 GB of coefficients
      {"b.jpg", jpeg(4, 14000, 14000), 14000, 14000},
      {"c.jpg", jpeg(3, 20000, 20000), 20000, 20000},
      {"d.jpg", jpeg(4, 26000, 27500)},  // 5.7 GB
      {"e.jpg", jpeg(4, 16384, 16392)},  // a block row past 2 GiB
      {"f.gif", gif + ";"},              // 3.2 GB
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
