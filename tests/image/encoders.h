// Test images made by the libraries' own writers (libpng, libjpeg, giflib), in memory, and a driver
// that runs one decoder record over encoded bytes.
#pragma once

#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/decoder.h"

namespace testimg {

using Bytes = std::vector<uint8_t>;

// Samples in the PNG's own bit depth, one per channel, rows top first.
struct PngSource {
  int width = 0, height = 0;
  int color_type = 0;  // PNG_COLOR_TYPE_*
  int bit_depth = 8;
  bool interlaced = false;
  std::vector<uint16_t> samples = {};
  std::vector<std::array<uint8_t, 3>> palette = {};  // red, green, blue
  std::vector<uint8_t> palette_alpha = {};           // tRNS for a palette image
  std::optional<std::array<uint16_t, 3>> trns = {};  // tRNS for gray (first value) or RGB
};
Bytes EncodePng(const PngSource& source);

struct JpegSource {
  int width = 0, height = 0;
  int components = 3;  // 1 gray, 3 RGB, 4 CMYK (as stored, Adobe-inverted)
  bool progressive = false;
  int quality = 95;
  std::vector<uint8_t> samples = {};  // rows top first; fewer rows than the height repeat from the top
  bool scan_per_component = false;    // sequential, one scan for each component
};
Bytes EncodeJpeg(const JpegSource& source);
// The same file with another width and height in its frame header (baseline or progressive): the
// data then covers part of the picture, or more than it.
Bytes Resized(Bytes jpeg, unsigned width, unsigned height);

struct GifFrameSource {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices = {};
  std::vector<GifColorType> local_map = {};  // empty: none; size a power of two
  bool control = false;                      // write a graphics control extension
  int disposal = 0;
  int delay = 0;  // hundredths of a second
  int transparent = -1;
};
struct GifSource {
  int width = 0, height = 0, background = 0;
  std::vector<GifColorType> global_map = {};  // empty: none
  std::vector<GifFrameSource> frames = {};
};
Bytes EncodeGif(const GifSource& source);

// One decoder's result: frames as top-down rows of width x depth / 8 bytes.
struct Decoded {
  int accepted = 0;
  int32_t width = 0, height = 0, depth = 0, source_depth = 0;
  std::vector<int> frame_ok;
  std::vector<int32_t> delays;
  std::vector<Bytes> frames;
  bool padding_intact = true;  // the decoder left the bytes past each row alone
};
// Checks, decodes every frame (bottom-up into a padded buffer, unless top_down) and releases.
Decoded DecodeWith(const image::ImageDecoder& decoder, const Bytes& bytes, bool top_down = false);

}  // namespace testimg
