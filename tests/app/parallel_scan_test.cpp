// The threaded scan against the one-thread scan, and the measurement against the full load, over every
// picture the project keeps (fixtures, fuzz seeds) and cut-short copies of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/measure_pipeline.h"
#include "image/image.h"
#include "image/measure.h"
#include "platform/bitmap.h"
#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;

struct Sample {
  std::string name;
  std::string bytes;
};

// Every picture file the project keeps, in a fixed order, with a copy cut in half and one without its
// last byte: truncation is where decoders and their measurements most easily part.
std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  for (const char* folder : {SB_APP_FIXTURES, SB_IMAGE_FIXTURES, SB_FUZZ_CORPUS}) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
      const std::string bytes = ReadFileBytes(path);
      samples.push_back({path.string(), bytes});
      samples.push_back({path.string() + " (half)", bytes.substr(0, bytes.size() / 2)});
      samples.push_back({path.string() + " (last byte cut)", bytes.substr(0, bytes.size() - 1)});
    }
  }
  return samples;
}

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

// Loaded or not, and the size when loaded.
using Outcome = std::tuple<bool, int64_t, int64_t>;

Outcome FromLoad(ObjectNumber number) {
  if (number == 0) return {false, 0, 0};
  const Outcome outcome{true, image::ImagePixelWidth(number), image::ImagePixelHeight(number)};
  image::ReleaseImage(number);
  return outcome;
}

Outcome FromMeasurement(bool loaded, image::ImageSize size) {
  return loaded ? Outcome{true, size.width, size.height} : Outcome{false, 0, 0};
}

TEST_F(ParallelScan, MeasurementGivesTheLoadsOutcomeForEveryPicture) {
  const std::vector<Sample> samples = Samples();
  ASSERT_GT(samples.size(), 300u);
  int loads = 0;
  for (const Sample& sample : samples) {
    const auto* data = sample.bytes.data();
    const auto size = static_cast<int32_t>(sample.bytes.size());
    image::ImageSize measured{};
    const Outcome from_memory = FromMeasurement(image::MeasureImageMemory(data, size, &measured), measured);
    EXPECT_EQ(from_memory, FromLoad(image::LoadImageMemory(image::AnyId, data, size))) << sample.name;

    const std::u16string path = runtime::TextFromUtf8(tree_.Write("sample.bin", sample.bytes));
    const Outcome from_file = FromMeasurement(image::MeasureImageFile(path, &measured), measured);
    EXPECT_EQ(from_file, FromLoad(image::LoadImageFile(image::AnyId, path))) << sample.name;
    loads += std::get<0>(from_file);
  }
  // Both outcomes must be well represented, or the comparison proves little.
  EXPECT_GT(loads, 100);
  EXPECT_GT(static_cast<int>(samples.size()) - loads, 100);
  EXPECT_EQ(platform::LiveGraphicsObjects(), 0);
}

TEST_F(ParallelScan, EveryThreadCountWritesTheOneThreadScenesBytes) {
  templates_.Write("pov_image_read_A.txt", "// head\n");
  // The samples spread over nested folders under picked and unpicked endings, and an empty folder.
  const char* endings[] = {".png", ".JPG", ".gif", ".hdr", ".Png", ".jpeg"};
  const std::vector<Sample> samples = Samples();
  for (size_t i = 0; i < samples.size(); ++i) {
    const std::string folder = "d" + std::to_string(i % 7) + "/e" + std::to_string(i % 3) + "/";
    tree_.Write(folder + "f" + std::to_string(i) + endings[i % 6], samples[i].bytes);
  }
  tree_.Mkdir("empty/deeper");
  const BuildRun one = BuildTree(1);
  ASSERT_GT(one.listed.size(), samples.size() * 4 / 6);
  for (int jobs : {2, 8}) {
    const BuildRun many = BuildTree(jobs);
    EXPECT_EQ(many.listed, one.listed) << jobs << " threads";
    EXPECT_EQ(many.scene, one.scene) << jobs << " threads";
  }
  EXPECT_EQ(platform::LiveGraphicsObjects(), 0);
}

}  // namespace
}  // namespace app
