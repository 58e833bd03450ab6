// Load throughput of the PNG, JPEG and GIF decoders through LoadImageMemory, against the bare
// library decode of the same bytes in the same run: the ratio is the cost of our layer (bitmap,
// row order, colour conversion, GIF composition).
//
// Two generated pictures per format: a "photo" (smooth gradients with fine noise) and a
// "screenshot" (flat panels, hard edges and text-like strokes).
#include <png.h>
#include <cstdio>
#include <jpeglib.h>
#include <gif_lib.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/decoders.h"
#include "image/image.h"
#include "bench/bench_pictures.h"

namespace {

using namespace benchpics;

constexpr int kWidth = 1024, kHeight = 768;

const Bytes& Sample(int format, int kind) {
  static const std::vector<uint8_t> photo = PhotoRgb(kWidth, kHeight), screenshot = ScreenshotRgb(kWidth, kHeight);
  static const Bytes samples[3][2] = {{ToPng(photo, kWidth, kHeight), ToPng(screenshot, kWidth, kHeight)},
                                      {ToJpeg(photo, kWidth, kHeight), ToJpeg(screenshot, kWidth, kHeight)},
                                      {ToGif(photo, kWidth, kHeight), ToGif(screenshot, kWidth, kHeight)}};
  return samples[format][kind];
}

void SetUpLibrary() {
  static bool ready = [] {
    image::InitImageLibrary();
    image::UsePngDecoder();
    image::UseJpegDecoder();
    image::UseGifDecoder();
    return true;
  }();
  (void)ready;
}

void Report(benchmark::State& state, const Bytes& bytes) {
  state.counters["MP/s"] =
      benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_Load(benchmark::State& state) {
  SetUpLibrary();
  const Bytes& bytes = Sample(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    image::ObjectNumber n = image::LoadImageMemory(image::AnyId, bytes.data(), int32_t(bytes.size()));
    if (n == 0) state.SkipWithError("load failed");
    image::ReleaseImage(n);
  }
  Report(state, bytes);
}

void BM_Bare(benchmark::State& state) {
  int format = int(state.range(0));
  const Bytes& bytes = Sample(format, int(state.range(1)));
  std::vector<uint8_t> buffer;
  for (auto _ : state) {
    if (format == 0) BarePng(bytes, buffer);
    if (format == 1) BareJpeg(bytes, buffer);
    if (format == 2) BareGif(bytes, buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  Report(state, bytes);
}

// Arguments: format (0 PNG, 1 JPEG, 2 GIF), picture (0 photo, 1 screenshot).
void Pictures(benchmark::internal::Benchmark* b) {
  b->ArgNames({"format", "picture"});
  for (int format = 0; format < 3; ++format) {
    for (int kind = 0; kind < 2; ++kind) b->Args({format, kind});
  }
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Load)->Apply(Pictures);
BENCHMARK(BM_Bare)->Apply(Pictures);

}  // namespace
