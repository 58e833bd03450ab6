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

// One row per way into the decoder's transformations (expansion below 8 bits, palette, gray, 16 bits,
// transparency chunk, interlacing). Pixels on every fifth diagonal take sample set a, the rest b, so
// the rows differ and their order shows; with transparency, a (palette index 0) is the clear colour.
TEST(PngDecoder, EachColourTypeComesOutBlueGreenRedWithAlphaWhereTransparent) {
  const struct {
    int color_type, bit_depth, source_depth;
    bool trns, interlaced;
    std::vector<uint16_t> a, b;
    Bytes want_a, want_b;  // blue, green, red (, alpha)
  } cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1, 1, false, false, {0}, {1}, {0, 0, 0}, {255, 255, 255}},
      {PNG_COLOR_TYPE_GRAY, 16, 16, true, false, {0x1234}, {0xABCD}, {0x12, 0x12, 0x12, 0}, {0xAB, 0xAB, 0xAB, 255}},
      {PNG_COLOR_TYPE_RGB, 8, 32, true, false, {1, 2, 3}, {200, 100, 50}, {3, 2, 1, 0}, {50, 100, 200, 255}},
      {PNG_COLOR_TYPE_PALETTE, 2, 2, true, false, {0}, {1}, {30, 20, 10, 0}, {60, 50, 40, 255}},
      {PNG_COLOR_TYPE_PALETTE, 8, 8, false, true, {0}, {1}, {30, 20, 10}, {60, 50, 40}},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 8, false, false, {10, 0}, {20, 255}, {10, 10, 10, 0}, {20, 20, 20, 255}},
      {PNG_COLOR_TYPE_RGB_ALPHA,
       16,
       32,
       false,
       false,
       {0x100, 0x200, 0x300, 0x7F00},
       {0, 0, 0, 0xFFFF},
       {3, 2, 1, 127},
       {0, 0, 0, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("colour type " + std::to_string(c.color_type) + ", depth " + std::to_string(c.bit_depth));
    PngSource source{13, 7, c.color_type, c.bit_depth, c.interlaced, {}, {{10, 20, 30}, {40, 50, 60}}};
    if (c.color_type != PNG_COLOR_TYPE_PALETTE) source.palette.clear();
    if (c.trns && c.color_type == PNG_COLOR_TYPE_PALETTE) source.palette_alpha = {0};
    if (c.trns && c.color_type != PNG_COLOR_TYPE_PALETTE)
      source.trns = {c.a[0], c.a[1 % c.a.size()], c.a[2 % c.a.size()]};
    Bytes want;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) {
        const bool a = (x + y) % 5 == 0;
        source.samples.insert(source.samples.end(), (a ? c.a : c.b).begin(), (a ? c.a : c.b).end());
        want.insert(want.end(), (a ? c.want_a : c.want_b).begin(), (a ? c.want_a : c.want_b).end());
      }
    const Bytes png = EncodePng(source);
    const testimg::Decoded d = DecodeWith(image::kPngDecoder, png);
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 13);
    EXPECT_EQ(d.height, 7);
    EXPECT_EQ(d.depth, int(c.want_a.size()) * 8);
    EXPECT_EQ(d.source_depth, c.source_depth);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(d.frames[0], want);
    EXPECT_TRUE(d.padding_intact);
    // DecodeWith turns both into top-down rows, so they agree only if each decoded its own way.
    EXPECT_EQ(DecodeWith(image::kPngDecoder, png, /*top_down=*/true).frames, d.frames);
  }
}

// A text chunk that declares 1.5 GiB in a file of a hundred bytes.
Bytes HugeTextChunk() {
  Bytes hostile = EncodePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0}});
  hostile.resize(33);  // signature and IHDR
  const uint8_t text[] = {0x60, 0x00, 0x00, 0x00, 't', 'E', 'X', 't', 'k', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'};
  hostile.insert(hostile.end(), text, text + sizeof(text));
  return hostile;
}

TEST(PngDecoder, DamagedFilesAreRejectedOrFailToDecode) {
  const Bytes png = EncodePng({64, 64, PNG_COLOR_TYPE_GRAY, 16, false, std::vector<uint16_t>(64 * 64, 0x1234)});
  ASSERT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  const struct {
    const char* name;
    Bytes bytes;
    std::vector<int> frames;  // empty: rejected by the check
  } cases[] = {
      {"7 bytes", Bytes(png.begin(), png.begin() + 7), {}},
      {"cut in the header", Bytes(png.begin(), png.begin() + 20), {}},
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

}  // namespace
