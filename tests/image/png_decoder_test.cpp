#include <png.h>

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "image/decoders.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodePng;
using testimg::PngSource;

namespace {

// Samples spread over the whole range of the depth; with tRNS, pixel 0's colour (repeated at every
// fifth diagonal) is the transparent one, and palette entries past the alpha list stay opaque.
PngSource MakeSource(int color_type, int bit_depth, bool with_trns, bool interlaced = false) {
  PngSource s{13, 7, color_type, bit_depth, interlaced};
  const int channels = testimg::PngChannels(color_type);
  const uint32_t levels = 1u << bit_depth;
  for (uint32_t y = 0; y < 7; ++y)
    for (uint32_t x = 0; x < 13; ++x)
      for (uint32_t c = 0; c < uint32_t(channels); ++c)
        s.samples.push_back(uint16_t(((x + y) % 5 == 0 ? c * 3 : x * 7919 + y * 104729 + c * 1299709) % levels));
  if (color_type == PNG_COLOR_TYPE_PALETTE) {
    for (uint32_t i = 0; i < levels; ++i) s.palette.push_back({uint8_t(i * 3 + 1), uint8_t(255 - i), uint8_t(i * 11)});
    if (with_trns) s.palette_alpha = {0, 128};
  } else if (with_trns) {
    s.trns = std::array<uint16_t, 3>{s.samples[0], s.samples[1 % channels], s.samples[2 % channels]};
  }
  return s;
}

// What the decoder must deliver, worked out from the samples: blue, green, red (, alpha).
Bytes Expected(const PngSource& s, bool alpha) {
  const int depth = s.bit_depth;
  const auto to8 = [depth](uint16_t v) { return uint8_t(depth == 16 ? v >> 8 : v * 255 / ((1 << depth) - 1)); };
  const int channels = testimg::PngChannels(s.color_type);
  Bytes out;
  for (size_t p = 0; p < s.samples.size() / channels; ++p) {
    const uint16_t* v = &s.samples[p * channels];
    uint8_t r = to8(v[0]), g = r, b = r, a = 255;
    if (s.color_type == PNG_COLOR_TYPE_PALETTE) {
      r = s.palette[v[0]][0], g = s.palette[v[0]][1], b = s.palette[v[0]][2];
      if (v[0] < s.palette_alpha.size()) a = s.palette_alpha[v[0]];
    } else if (channels >= 3) {
      g = to8(v[1]), b = to8(v[2]);
    }
    if (channels == 2 || channels == 4) a = to8(v[channels - 1]);
    if (s.trns && v[0] == (*s.trns)[0] && (channels < 3 || (v[1] == (*s.trns)[1] && v[2] == (*s.trns)[2]))) a = 0;
    out.insert(out.end(), {b, g, r});
    if (alpha) out.push_back(a);
  }
  return out;
}

TEST(PngDecoder, EveryColourTypeAndDepthWithAndWithoutTransparency) {
  const struct {
    int color_type, bit_depth, source_depth;  // source depth without tRNS
    bool interlaced = false;
  } cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1, 1},          {PNG_COLOR_TYPE_GRAY, 2, 2},
      {PNG_COLOR_TYPE_GRAY, 4, 4},          {PNG_COLOR_TYPE_GRAY, 8, 8},
      {PNG_COLOR_TYPE_GRAY, 16, 16},        {PNG_COLOR_TYPE_RGB, 8, 24},
      {PNG_COLOR_TYPE_RGB, 16, 24},         {PNG_COLOR_TYPE_PALETTE, 1, 1},
      {PNG_COLOR_TYPE_PALETTE, 2, 2},       {PNG_COLOR_TYPE_PALETTE, 4, 4},
      {PNG_COLOR_TYPE_PALETTE, 8, 8},       {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 8},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 16},  {PNG_COLOR_TYPE_RGB_ALPHA, 8, 32},
      {PNG_COLOR_TYPE_RGB_ALPHA, 16, 32},   {PNG_COLOR_TYPE_RGB_ALPHA, 8, 32, true},
      {PNG_COLOR_TYPE_PALETTE, 8, 8, true},
  };
  for (const auto& c : cases) {
    const bool has_alpha = c.color_type & PNG_COLOR_MASK_ALPHA;
    for (bool trns : {false, true}) {
      if (trns && has_alpha) continue;
      SCOPED_TRACE("colour type " + std::to_string(c.color_type) + ", depth " + std::to_string(c.bit_depth) +
                   (trns ? ", tRNS" : "") + (c.interlaced ? ", interlaced" : ""));
      const PngSource source = MakeSource(c.color_type, c.bit_depth, trns, c.interlaced);
      const Bytes png = EncodePng(source);
      const testimg::Decoded d = DecodeWith(image::kPngDecoder, png);
      ASSERT_TRUE(d.accepted);
      EXPECT_EQ(d.width, 13);
      EXPECT_EQ(d.height, 7);
      EXPECT_EQ(d.depth, has_alpha || trns ? 32 : 24);
      EXPECT_EQ(d.source_depth, trns && c.color_type == PNG_COLOR_TYPE_RGB ? 32 : c.source_depth);
      EXPECT_EQ(d.frame_count, 1);
      ASSERT_EQ(d.frame_ok, std::vector<int>{1});
      EXPECT_EQ(d.frames[0], Expected(source, d.depth == 32));
      EXPECT_TRUE(d.padding_intact);
      // DecodeWith turns both into top-down rows, so they agree only if each decoded its own way.
      EXPECT_EQ(DecodeWith(image::kPngDecoder, png, /*top_down=*/true).frames, d.frames);
    }
  }
}

// A text chunk that declares 1.5 GiB in a file of a hundred bytes.
Bytes HugeTextChunk() {
  const Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_GRAY, 8, false));
  Bytes hostile(png.begin(), png.begin() + 33);  // signature and IHDR
  const uint8_t text[] = {0x60, 0x00, 0x00, 0x00, 't', 'E', 'X', 't', 'k', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'};
  hostile.insert(hostile.end(), text, text + sizeof(text));
  return hostile;
}

TEST(PngDecoder, DamagedFilesAreRejectedOrFailToDecode) {
  const Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_RGB, 16, false));
  ASSERT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  Bytes bad_crc = png;
  bad_crc[29] ^= 1;  // the header chunk's CRC
  const struct {
    const char* name;
    Bytes bytes;
    std::vector<int> frames;  // empty: rejected by the check
  } cases[] = {
      {"signature alone", Bytes(png.begin(), png.begin() + 8), {}},
      {"7 bytes", Bytes(png.begin(), png.begin() + 7), {}},
      {"cut in the header", Bytes(png.begin(), png.begin() + 20), {}},
      {"header CRC wrong", bad_crc, {}},
      {"a GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, {}},
      {"huge text chunk", HugeTextChunk(), {}},
      {"cut inside the image data", Bytes(png.begin(), png.begin() + 41 + (png.size() - 41) / 2), {0}},
  };
  for (const auto& c : cases) {
    const testimg::Decoded d = DecodeWith(image::kPngDecoder, c.bytes);
    EXPECT_EQ(d.accepted != 0, !c.frames.empty()) << c.name;
    EXPECT_EQ(d.frame_ok, c.frames) << c.name;
  }
}

#ifndef _WIN32
// The refusal allocates nothing of the declared size: a child process's peak memory, which POSIX
// reports, shows it.
TEST(PngDecoder, HugeDeclaredChunkTakesNoMemory) {
  const Bytes hostile = HugeTextChunk();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(DecodeWith(image::kPngDecoder, hostile).accepted ? 1 : 0);
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_LT(usage.ru_maxrss, 512L * 1024);  // kilobytes
}
#endif

TEST(PngDecoder, RefusesRowsNarrowerThanTheImage) {
  const Bytes png = EncodePng(MakeSource(PNG_COLOR_TYPE_RGB, 8, false));
  image::DecoderState state{};
  state.data = png.data();
  state.size = int32_t(png.size());
  ASSERT_TRUE(image::kPngDecoder.check(&state));
  Bytes rows(38 * 7 + 64, 0);
  EXPECT_FALSE(image::kPngDecoder.decode(&state, rows.data(), 38, image::DecodeBottomUp));
  EXPECT_TRUE(image::kPngDecoder.decode(&state, rows.data(), 39, image::DecodeBottomUp)) << "exactly wide enough";
  image::kPngDecoder.release(&state, &image::kPngDecoder);
}

}  // namespace
