// The scan measures pictures without loading them: its sizes must be the full loads', and the threaded
// scan must write the one-thread scan's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "tests/app/scene_build_support.h"

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

}  // namespace
}  // namespace app
