#include "bench/bench_pictures.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace benchpics {
namespace {

volatile uint8_t g_sink;  // keeps the GIF decode from being optimised away

}  // namespace

std::vector<uint8_t> PhotoRgb(int width, int height) {
  std::vector<uint8_t> rgb;
  uint32_t seed = 7;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      int noise = int(seed >> 28) - 8;
      rgb.push_back(uint8_t(std::clamp(x * 255 / width + noise, 0, 255)));
      rgb.push_back(uint8_t(std::clamp(y * 255 / height + noise, 0, 255)));
      rgb.push_back(uint8_t(std::clamp((x + y) * 128 / (width + height) + 64 + noise, 0, 255)));
    }
  }
  return rgb;
}

std::vector<uint8_t> ScreenshotRgb(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t r = 240, g = 240, b = 240;  // window background
      if (y < 28)
        r = 40, g = 60, b = 110;  // title bar
      else if (x < 200)
        r = 225, g = 228, b = 232;  // side panel
      if (y >= 40 && (y / 14) % 2 == 0 && x > 210 && (x / 7) % 3 != 0 && (x * 7 + y * 3) % 11 < 5) {
        r = g = b = 20;  // lines of "text"
      }
      rgb.insert(rgb.end(), {r, g, b});
    }
  }
  return rgb;
}

Bytes ToPng(const std::vector<uint8_t>& rgb, int width, int height) {
  testimg::PngSource s;
  s.width = width, s.height = height, s.color_type = PNG_COLOR_TYPE_RGB, s.bit_depth = 8;
  s.samples.assign(rgb.begin(), rgb.end());
  return testimg::EncodePng(s);
}

Bytes ToJpeg(const std::vector<uint8_t>& rgb, int width, int height) {
  testimg::JpegSource s;
  s.width = width, s.height = height, s.components = 3, s.quality = 85;
  s.samples = rgb;
  return testimg::EncodeJpeg(s);
}

// A 6 x 6 x 6 colour cube: photos dither into it as GIF encoders do, screenshots hit it exactly.
Bytes ToGif(const std::vector<uint8_t>& rgb, int width, int height) {
  testimg::GifSource s;
  s.width = width, s.height = height;
  for (int i = 0; i < 256; ++i) {
    int c = i < 216 ? i : 0;
    s.global_map.push_back({uint8_t(c / 36 * 51), uint8_t(c / 6 % 6 * 51), uint8_t(c % 6 * 51)});
  }
  testimg::GifFrameSource f;
  f.width = width, f.height = height;
  for (size_t p = 0; p < rgb.size(); p += 3) {
    f.indices.push_back(uint8_t((rgb[p] + 25) / 51 * 36 + (rgb[p + 1] + 25) / 51 * 6 + (rgb[p + 2] + 25) / 51));
  }
  s.frames = {f};
  return testimg::EncodeGif(s);
}

namespace {

// The bare libraries, each decoding into one reused buffer in its own natural way.
struct PngReader {
  const uint8_t* cursor;
};
void ReadPng(png_structp png, png_bytep out, size_t length) {
  auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
  std::memcpy(out, reader->cursor, length);
  reader->cursor += length;
}

}  // namespace

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
  if (gif && gif->ImageCount > 0) g_sink = gif->SavedImages[0].RasterBits[0];
  DGifCloseFile(gif, &error);
}

}  // namespace benchpics
