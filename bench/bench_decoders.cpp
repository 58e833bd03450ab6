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
#include "tests/image/encoders.h"

namespace {

using testimg::Bytes;

constexpr int kWidth = 1024, kHeight = 768;

std::vector<uint8_t> PhotoRgb() {
  std::vector<uint8_t> rgb;
  uint32_t seed = 7;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      int noise = int(seed >> 28) - 8;
      rgb.push_back(uint8_t(std::clamp(x * 255 / kWidth + noise, 0, 255)));
      rgb.push_back(uint8_t(std::clamp(y * 255 / kHeight + noise, 0, 255)));
      rgb.push_back(uint8_t(std::clamp((x + y) * 128 / (kWidth + kHeight) + 64 + noise, 0, 255)));
    }
  }
  return rgb;
}

std::vector<uint8_t> ScreenshotRgb() {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t r = 240, g = 240, b = 240;                            // window background
      if (y < 28) r = 40, g = 60, b = 110;                           // title bar
      else if (x < 200) r = 225, g = 228, b = 232;                   // side panel
      if (y >= 40 && (y / 14) % 2 == 0 && x > 210 && (x / 7) % 3 != 0 && (x * 7 + y * 3) % 11 < 5) {
        r = g = b = 20;                                              // lines of "text"
      }
      rgb.insert(rgb.end(), {r, g, b});
    }
  }
  return rgb;
}

Bytes ToPng(const std::vector<uint8_t>& rgb) {
  testimg::PngSource s;
  s.width = kWidth, s.height = kHeight, s.color_type = PNG_COLOR_TYPE_RGB, s.bit_depth = 8;
  s.samples.assign(rgb.begin(), rgb.end());
  return testimg::EncodePng(s);
}

Bytes ToJpeg(const std::vector<uint8_t>& rgb) {
  testimg::JpegSource s;
  s.width = kWidth, s.height = kHeight, s.components = 3, s.quality = 85;
  s.samples = rgb;
  return testimg::EncodeJpeg(s);
}

// A 6 x 6 x 6 colour cube: photos dither into it as GIF encoders do, screenshots hit it exactly.
Bytes ToGif(const std::vector<uint8_t>& rgb) {
  testimg::GifSource s;
  s.width = kWidth, s.height = kHeight;
  for (int i = 0; i < 256; ++i) {
    int c = i < 216 ? i : 0;
    s.global_map.push_back({uint8_t(c / 36 * 51), uint8_t(c / 6 % 6 * 51), uint8_t(c % 6 * 51)});
  }
  testimg::GifFrameSource f;
  f.width = kWidth, f.height = kHeight;
  for (size_t p = 0; p < rgb.size(); p += 3) {
    f.indices.push_back(uint8_t((rgb[p] + 25) / 51 * 36 + (rgb[p + 1] + 25) / 51 * 6 + (rgb[p + 2] + 25) / 51));
  }
  s.frames = {f};
  return testimg::EncodeGif(s);
}

const Bytes& Sample(int format, int kind) {
  static const std::vector<uint8_t> photo = PhotoRgb(), screenshot = ScreenshotRgb();
  static const Bytes samples[3][2] = {{ToPng(photo), ToPng(screenshot)},
                                      {ToJpeg(photo), ToJpeg(screenshot)},
                                      {ToGif(photo), ToGif(screenshot)}};
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
  state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6,
                                              benchmark::Counter::kIsRate);
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

// The bare libraries, each decoding into one reused buffer in its own natural way.
struct PngReader {
  const uint8_t* cursor;
};
void ReadPng(png_structp png, png_bytep out, size_t length) {
  auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
  std::memcpy(out, reader->cursor, length);
  reader->cursor += length;
}

void BarePng(const Bytes& bytes, std::vector<uint8_t>& buffer) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  PngReader reader{bytes.data()};
  png_set_read_fn(png, &reader, ReadPng);
  png_read_info(png, info);
  png_set_bgr(png);
  png_read_update_info(png, info);
  size_t row_bytes = png_get_rowbytes(png, info);
  buffer.resize(row_bytes * png_get_image_height(png, info));
  for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y) {
    png_bytep row = buffer.data() + y * row_bytes;
    png_read_rows(png, &row, nullptr, 1);
  }
  png_destroy_read_struct(&png, &info, nullptr);
}

void BareJpeg(const Bytes& bytes, std::vector<uint8_t>& buffer) {
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  size_t row_bytes = size_t(info.output_width) * info.output_components;
  buffer.resize(row_bytes * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = buffer.data() + info.output_scanline * row_bytes;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
}

struct GifReader {
  const uint8_t* cursor;
  const uint8_t* end;
};
int ReadGif(GifFileType* gif, GifByteType* out, int length) {
  auto* reader = static_cast<GifReader*>(gif->UserData);
  int count = std::min<int>(length, int(reader->end - reader->cursor));
  std::memcpy(out, reader->cursor, size_t(count));
  reader->cursor += count;
  return count;
}

void BareGif(const Bytes& bytes, std::vector<uint8_t>&) {
  GifReader reader{bytes.data(), bytes.data() + bytes.size()};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadGif, &error);
  DGifSlurp(gif);
  benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits[0]);
  DGifCloseFile(gif, &error);
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
