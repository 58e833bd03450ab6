// The recursive image scan over a generated tree of 2,000 files (photos, screenshots, GIFs and files
// that only look like images), against the bare libraries decoding the same files in the same run.
// The ratio is what the scan adds: the walk, the loader's whole-file read and bitmaps, the decoders
// tried in turn, and the scene lines.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/image_scan.h"
#include "app/startup.h"
#include "bench/bench_pictures.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using benchpics::Bytes;

constexpr int kFolders = 40, kPerFolder = 50;
constexpr int kWidth = 480, kHeight = 360;

enum class Kind { Png, Jpeg, Gif, NotAnImage, NotPicked };

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Out of every 20 files: 7 photos as JPEG, 4 screenshots as PNG, 2 photos as PNG, 3 GIFs, a text
// file named .png, a file named .hdr, and 2 files the scan does not pick.
struct GeneratedTree {
  testsupport::TempDir dir;  // removed with everything in it when the benchmark ends
  fs::path root = dir.path();
  std::vector<std::pair<fs::path, Kind>> files;
  int picked = 0;

  GeneratedTree() {
    const auto photo = benchpics::PhotoRgb(kWidth, kHeight), screen = benchpics::ScreenshotRgb(kWidth, kHeight);
    const Bytes photo_jpg = benchpics::ToJpeg(photo, kWidth, kHeight),
                photo_png = benchpics::ToPng(photo, kWidth, kHeight),
                screen_png = benchpics::ToPng(screen, kWidth, kHeight),
                screen_gif = benchpics::ToGif(screen, kWidth, kHeight),
                photo_gif = benchpics::ToGif(photo, kWidth, kHeight);
    const Bytes text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', '\n'};
    for (int f = 0; f < kFolders; ++f) {
      const fs::path folder = root / ("album" + std::to_string(f)) / (f % 2 ? "raw" : "");
      fs::create_directories(folder);
      for (int i = 0; i < kPerFolder; ++i) {
        const int slot = (f * kPerFolder + i) % 20;
        const std::string stem = folder / ("img" + std::to_string(i));
        std::pair<fs::path, Kind> file;
        if (slot < 7)
          file = {stem + ".jpg", Kind::Jpeg}, WriteFile(file.first, photo_jpg);
        else if (slot < 11)
          file = {stem + ".png", Kind::Png}, WriteFile(file.first, screen_png);
        else if (slot < 13)
          file = {stem + ".PNG", Kind::Png}, WriteFile(file.first, photo_png);
        else if (slot < 15)
          file = {stem + ".gif", Kind::Gif}, WriteFile(file.first, screen_gif);
        else if (slot < 16)
          file = {stem + ".gif", Kind::Gif}, WriteFile(file.first, photo_gif);
        else if (slot < 17)
          file = {stem + ".png", Kind::NotAnImage}, WriteFile(file.first, text);
        else if (slot < 18)
          file = {stem + ".hdr", Kind::NotAnImage}, WriteFile(file.first, text);
        else
          file = {stem + ".txt", Kind::NotPicked}, WriteFile(file.first, text);
        picked += file.second != Kind::NotPicked;
        files.push_back(file);
      }
    }
  }
};

const GeneratedTree& Tree() {
  static const GeneratedTree tree;
  return tree;
}

void SetUpLibraries() {
  static const bool ready = [] {
    app::StartLibraries();
    app::RegisterDecoders();
    return true;
  }();
  (void)ready;
}

void ReportFiles(benchmark::State& state) {
  state.counters["files/s"] =
      benchmark::Counter(double(state.iterations()) * Tree().picked, benchmark::Counter::kIsRate);
}

void BM_ScanForImages(benchmark::State& state) {
  SetUpLibraries();
  const runtime::Text root = runtime::TextFromUtf8(Tree().root.string() + "/");
  app::SceneHooks hooks;
  hooks.jobs = 1;  // against the one-thread bare decode: CPU time of one thread
  int64_t found = 0;
  hooks.image_found = [&found](runtime::TextView) { ++found; };
  for (auto _ : state) app::ScanForImages(root, root, hooks);
  if (found != int64_t(state.iterations()) * Tree().picked) state.SkipWithError("the scan missed files");
  ReportFiles(state);
}
BENCHMARK(BM_ScanForImages)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same files read whole and decoded by the bare libraries; files that are no image cost a read.
void BM_BareDecode(benchmark::State& state) {
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    for (const auto& [path, kind] : Tree().files) {
      if (kind == Kind::NotPicked) continue;
      std::ifstream in(path, std::ios::binary);
      const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (kind == Kind::Png) benchpics::BarePng(bytes, pixels);
      if (kind == Kind::Jpeg) benchpics::BareJpeg(bytes, pixels);
      if (kind == Kind::Gif) benchpics::BareGif(bytes, pixels);
      benchmark::DoNotOptimize(pixels.data());
    }
  }
  ReportFiles(state);
}
BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
