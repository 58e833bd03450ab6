#include <png.h>

#include <gtest/gtest.h>

#include <string>

#include "image/decoders.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodePng;
using testimg::PngSource;

namespace {

int ChannelsOf(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

// A test image whose samples spread over the whole range of the depth; with tRNS, the colour of
// pixel 0 (and so of several pixels) is the transparent one.
PngSource MakeSource(int color_type, int bit_depth, bool with_trns, int width = 13, int height = 7) {
  PngSource s;
  s.width = width;
  s.height = height;
  s.color_type = color_type;
  s.bit_depth = bit_depth;
  int channels = ChannelsOf(color_type);
  uint32_t levels = 1u << bit_depth;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        uint32_t v = (uint32_t(x) * 7919u + uint32_t(y) * 104729u + uint32_t(c) * 1299709u) % levels;
        if ((x + y) % 5 == 0) v = c * 3 % levels;  // repeats the colour of pixel 0
        s.samples.push_back(uint16_t(v));
      }
    }
  }
  if (color_type == PNG_COLOR_TYPE_PALETTE) {
    for (uint32_t i = 0; i < levels; ++i) {
      s.palette.push_back({uint8_t(i * 3 + 1), uint8_t(255 - i), uint8_t(i * 11)});
    }
    if (with_trns) s.palette_alpha = {0, 128};  // entries past the list stay opaque
  } else if (with_trns) {
    s.trns = std::array<uint16_t, 3>{s.samples[0], s.samples[1 % channels], s.samples[2 % channels]};
  }
  return s;
}

uint8_t To8(uint16_t v, int bit_depth) {
  if (bit_depth == 16) return uint8_t(v >> 8);
  return uint8_t(v * (255 / ((1u << bit_depth) - 1)));
}

// What the decoder must deliver, worked out from the samples: blue, green, red (, alpha).
Bytes Expected(const PngSource& s, bool alpha) {
  Bytes out;
  int channels = ChannelsOf(s.color_type);
  for (size_t p = 0; p < size_t(s.width) * s.height; ++p) {
    const uint16_t* v = &s.samples[p * channels];
    uint8_t r, g, b, a = 255;
    switch (s.color_type) {
      case PNG_COLOR_TYPE_PALETTE:
        r = s.palette[v[0]][0], g = s.palette[v[0]][1], b = s.palette[v[0]][2];
        if (v[0] < s.palette_alpha.size()) a = s.palette_alpha[v[0]];
        break;
      case PNG_COLOR_TYPE_GRAY:
      case PNG_COLOR_TYPE_GRAY_ALPHA:
        r = g = b = To8(v[0], s.bit_depth);
        if (s.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) a = To8(v[1], s.bit_depth);
        if (s.trns && v[0] == (*s.trns)[0]) a = 0;
        break;
      default:
        r = To8(v[0], s.bit_depth), g = To8(v[1], s.bit_depth), b = To8(v[2], s.bit_depth);
        if (s.color_type == PNG_COLOR_TYPE_RGB_ALPHA) a = To8(v[3], s.bit_depth);
        if (s.trns && v[0] == (*s.trns)[0] && v[1] == (*s.trns)[1] && v[2] == (*s.trns)[2]) a = 0;
    }
    out.insert(out.end(), {b, g, r});
    if (alpha) out.push_back(a);
  }
  return out;
}

struct Case {
  int color_type;
  int bit_depth;
  bool trns;
  int depth;
  int source_depth;
};

TEST(PngDecoder, EveryColourTypeAndDepthWithAndWithoutTransparency) {
  const Case cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1, false, 24, 1},   {PNG_COLOR_TYPE_GRAY, 1, true, 32, 1},
      {PNG_COLOR_TYPE_GRAY, 2, false, 24, 2},   {PNG_COLOR_TYPE_GRAY, 2, true, 32, 2},
      {PNG_COLOR_TYPE_GRAY, 4, false, 24, 4},   {PNG_COLOR_TYPE_GRAY, 4, true, 32, 4},
      {PNG_COLOR_TYPE_GRAY, 8, false, 24, 8},   {PNG_COLOR_TYPE_GRAY, 8, true, 32, 8},
      {PNG_COLOR_TYPE_GRAY, 16, false, 24, 16}, {PNG_COLOR_TYPE_GRAY, 16, true, 32, 16},
      {PNG_COLOR_TYPE_RGB, 8, false, 24, 24},   {PNG_COLOR_TYPE_RGB, 8, true, 32, 32},
      {PNG_COLOR_TYPE_RGB, 16, false, 24, 24},  {PNG_COLOR_TYPE_RGB, 16, true, 32, 32},
      {PNG_COLOR_TYPE_PALETTE, 1, false, 24, 1}, {PNG_COLOR_TYPE_PALETTE, 1, true, 32, 1},
      {PNG_COLOR_TYPE_PALETTE, 2, false, 24, 2}, {PNG_COLOR_TYPE_PALETTE, 2, true, 32, 2},
      {PNG_COLOR_TYPE_PALETTE, 4, false, 24, 4}, {PNG_COLOR_TYPE_PALETTE, 4, true, 32, 4},
      {PNG_COLOR_TYPE_PALETTE, 8, false, 24, 8}, {PNG_COLOR_TYPE_PALETTE, 8, true, 32, 8},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 32, 8}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, 32, 16},
      {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 32, 32}, {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, 32, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("colour type " + std::to_string(c.color_type) + ", depth " + std::to_string(c.bit_depth) +
                 (c.trns ? ", tRNS" : ""));
    PngSource source = MakeSource(c.color_type, c.bit_depth, c.trns);
    testimg::Decoded d = DecodeWith(image::kPngDecoder, EncodePng(source));
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 13);
    EXPECT_EQ(d.height, 7);
    EXPECT_EQ(d.depth, c.depth);
    EXPECT_EQ(d.source_depth, c.source_depth);
    EXPECT_EQ(d.frame_count, 1);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(d.frames[0], Expected(source, c.depth == 32));
    EXPECT_TRUE(d.padding_intact);
  }
}

TEST(PngDecoder, TopDownAndBottomUpRowsAreMirrors) {
  Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_RGB, 8, false, 5, 9));
  testimg::Decoded bottom_up = DecodeWith(image::kPngDecoder, png);
  testimg::Decoded top_down = DecodeWith(image::kPngDecoder, png, /*top_down=*/true);
  ASSERT_EQ(bottom_up.frame_ok, std::vector<int>{1});
  ASSERT_EQ(top_down.frame_ok, std::vector<int>{1});
  // DecodeWith turns both into top-down rows, so they agree only if each decoded its own way.
  EXPECT_EQ(bottom_up.frames[0], top_down.frames[0]);
}

TEST(PngDecoder, InterlacedImageDecodesToTheSamePixelsAsItsPlainTwin) {
  for (int color_type : {PNG_COLOR_TYPE_RGB_ALPHA, PNG_COLOR_TYPE_PALETTE}) {
    PngSource plain = MakeSource(color_type, 8, color_type == PNG_COLOR_TYPE_PALETTE, 37, 23);
    PngSource interlaced = plain;
    interlaced.interlaced = true;
    Bytes a = EncodePng(plain), b = EncodePng(interlaced);
    ASSERT_NE(a, b);
    testimg::Decoded da = DecodeWith(image::kPngDecoder, a), db = DecodeWith(image::kPngDecoder, b);
    ASSERT_EQ(db.frame_ok, std::vector<int>{1});
    EXPECT_EQ(da.frames[0], db.frames[0]);
    EXPECT_EQ(db.frames[0], Expected(plain, true));
  }
}

TEST(PngDecoder, RejectsTheSignatureAloneAndForeignData) {
  Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_GRAY, 8, false));
  EXPECT_FALSE(DecodeWith(image::kPngDecoder, Bytes(png.begin(), png.begin() + 8)).accepted);
  EXPECT_FALSE(DecodeWith(image::kPngDecoder, Bytes(png.begin(), png.begin() + 7)).accepted);
  EXPECT_FALSE(DecodeWith(image::kPngDecoder, Bytes(png.begin(), png.begin() + 20)).accepted);
  Bytes bad_crc = png;
  bad_crc[29] ^= 1;  // the header chunk's CRC
  EXPECT_FALSE(DecodeWith(image::kPngDecoder, bad_crc).accepted);
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(DecodeWith(image::kPngDecoder, gif).accepted);
}

TEST(PngDecoder, FileCutInsideItsImageDataPassesTheCheckAndFailsToDecode) {
  PngSource source = MakeSource(PNG_COLOR_TYPE_RGB, 16, false, 64, 64);
  Bytes png = EncodePng(source);
  // The IDAT chunk's data starts after the 8-byte signature, IHDR (25 bytes) and IDAT's own 8.
  ASSERT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  Bytes cut(png.begin(), png.begin() + 41 + (png.size() - 41) / 2);
  testimg::Decoded d = DecodeWith(image::kPngDecoder, cut);
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.width, 64);
  EXPECT_EQ(d.frame_ok, std::vector<int>{0});
}

TEST(PngDecoder, RefusesRowsNarrowerThanTheImage) {
  Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_RGB, 8, false, 10, 2));
  image::DecoderState state{};
  state.data = png.data();
  state.size = int32_t(png.size());
  ASSERT_TRUE(image::kPngDecoder.check(&state));
  Bytes rows(29 * 2 + 64, 0);
  EXPECT_FALSE(image::kPngDecoder.decode(&state, rows.data(), 29, image::DecodeBottomUp));
  image::kPngDecoder.release(&state, &image::kPngDecoder);
}

}  // namespace
