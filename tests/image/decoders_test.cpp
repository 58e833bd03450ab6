// The PNG, JPEG and GIF decoders on images made by the libraries' own writers.
#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "image/decoders.h"
#include "image/image.h"
#include "image/measure.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::GifFrameSource;
using testimg::Resized;

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
      {PNG_COLOR_TYPE_RGBA, 16, 32, false, false, {768, 512, 256, 0}, {0, 0, 0, 0xFFFF}, {1, 2, 3, 0}, {0, 0, 0, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("colour type " + std::to_string(c.color_type) + ", depth " + std::to_string(c.bit_depth));
    testimg::PngSource source{13, 7, c.color_type, c.bit_depth, c.interlaced, {}, {{10, 20, 30}, {40, 50, 60}}};
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
    const Bytes png = testimg::EncodePng(source);
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
  Bytes hostile = testimg::EncodePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0}});
  hostile.resize(33);  // signature and IHDR
  const uint8_t text[] = {0x60, 0x00, 0x00, 0x00, 't', 'E', 'X', 't', 'k', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'};
  hostile.insert(hostile.end(), text, text + sizeof(text));
  return hostile;
}

TEST(PngDecoder, DamagedFilesAreRejectedOrFailToDecode) {
  const Bytes png =
      testimg::EncodePng({64, 64, PNG_COLOR_TYPE_GRAY, 16, false, std::vector<uint16_t>(64 * 64, 0x1234)});
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

testimg::JpegSource Flat(std::vector<uint8_t> pixel) { return {1, 1, int(pixel.size()), false, 100, pixel}; }

testimg::JpegSource Noise(int width, int height, bool progressive, int components = 3) {
  testimg::JpegSource s{width, height, components, progressive, 95, {}};
  uint32_t seed = 12345;
  for (int i = 0; i < width * height * components; ++i)
    s.samples.push_back(uint8_t((seed = seed * 1103515245u + 12345u) >> 16));
  return s;
}

// Every colour space comes out as 24-bit blue, green, red; Adobe CMYK is stored inverted, so each
// stored byte times the black byte is the channel's intensity. (YCCK turns into CMYK inside libjpeg.)
TEST(JpegDecoder, EveryColourSpaceComesOutBlueGreenRed) {
  const struct {
    std::vector<uint8_t> pixel;
    int source_depth;
    std::array<int, 3> want;  // blue, green, red
  } cases[] = {
      {{90}, 24, {90, 90, 90}},
      {{255, 128, 0}, 24, {0, 128, 255}},
      {{200, 100, 50, 128}, 32, {50 * 128 / 255, 100 * 128 / 255, 200 * 128 / 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pixel.size());
    const testimg::Decoded d = DecodeWith(image::kJpegDecoder, testimg::EncodeJpeg(Flat(c.pixel)));
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(d.depth, 24);
    EXPECT_EQ(d.source_depth, c.source_depth);
    EXPECT_TRUE(d.padding_intact);
    ASSERT_EQ(d.frames[0].size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(d.frames[0][i], c.want[i], 4) << i;
  }
}

// A file cut inside its scan still decodes at its full size; the rows whose data arrived decode as in
// the whole file.
TEST(JpegDecoder, FileCutInsideItsScanLoadsAtFullSize) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const Bytes whole = testimg::EncodeJpeg(Noise(64, 64, progressive));
    const testimg::Decoded full = DecodeWith(image::kJpegDecoder, whole);
    const testimg::Decoded part =
        DecodeWith(image::kJpegDecoder, Bytes(whole.begin(), whole.begin() + whole.size() * 6 / 10));
    ASSERT_EQ(part.frame_ok, std::vector<int>{1});
    EXPECT_EQ(part.height, 64);
    const auto first_rows = full.frames[0].begin() + 16 * 64 * 3;
    EXPECT_TRUE(progressive || std::equal(full.frames[0].begin(), first_rows, part.frames[0].begin()));
    EXPECT_EQ(DecodeWith(image::kJpegDecoder, whole, /*top_down=*/true).frames, full.frames);
  }
}

// Index 0 slate, 1 red, 2 green (the screen's background), 3 blue. Slate is no colour's fallback, so
// a transparent index 0 shows whether its own colour was taken.
const std::vector<GifColorType> kMap = {{10, 20, 30}, {255, 0, 0}, {0, 200, 0}, {0, 0, 255}};
constexpr uint32_t kClearSlate = 0x000A141E, kRed = 0xFFFF0000, kGreen = 0xFF00C800, kBlue = 0xFF0000FF;

GifFrameSource Frame(int left, int top, int width, int height, uint8_t index, int disposal = -1, int transparent = -1) {
  GifFrameSource f{left, top, width, height, std::vector<uint8_t>(size_t(width) * height, index)};
  f.control = disposal >= 0, f.disposal = std::max(disposal, 0), f.transparent = transparent;
  return f;
}

Bytes Gif(int width, int height, std::vector<GifFrameSource> frames, int background = 2) {
  return testimg::EncodeGif({width, height, background, kMap, std::move(frames)});
}

// The first frame (without a control block) stopping short: its first data block keeps half its
// bytes and its block list ends there. giflib's first reading stops inside it, its second reads on.
Bytes CutFirstFrameShort(const Bytes& gif) {
  const size_t blocks = 13 + 3 * kMap.size() + 10 + 1;  // screen, map, image descriptor, code size
  size_t end = blocks;
  while (gif.at(end) != 0) end += gif[end] + 1u;
  Bytes cut(gif.begin(), gif.begin() + long(blocks + 1 + gif[blocks] / 2));
  cut[blocks] = gif[blocks] / 2;
  cut.push_back(0);
  cut.insert(cut.end(), gif.begin() + long(end) + 1, gif.end());
  return cut;
}

struct Check {
  size_t frame;
  int x, y;
  uint32_t colour;
};

// A 10 x 10 red frame with a blue top-left corner at (20, 10) on a 100 x 50 screen, and what the
// screen around it shows.
Bytes Framed(int background, int transparent) {
  GifFrameSource f = Frame(20, 10, 10, 10, 1, 0, transparent);
  f.indices[0] = 3;
  return Gif(100, 50, {f}, background);
}
std::vector<Check> Around(uint32_t fill) {
  return {{0, 0, 0, fill},   {0, 19, 10, fill},  {0, 30, 19, fill},
          {0, 29, 20, fill}, {0, 20, 10, kBlue}, {0, 29, 19, kRed}};
}

// Each file decodes to the screen's size with the frames that succeed and their pixels, the same
// whichever way the destination runs; files without a screen or cut short are rejected.
TEST(GifDecoder, FramesDrawOnTheScreenAsTheFileSays) {
  // giflib writes no file without a global map, so drop it from a written one.
  GifFrameSource with_map = Frame(0, 0, 4, 4, 1);
  with_map.local_map = kMap;
  Bytes no_global = Gif(4, 4, {Frame(0, 0, 4, 4, 1), with_map});
  no_global[10] &= 0x7F;
  no_global.erase(no_global.begin() + 13, no_global.begin() + 13 + 4 * 3);
  // A stray byte between records stops giflib's first reading and the second finishes; an extension
  // read before the byte is dropped (and freed: the sanitizer build checks for leaks).
  GifFrameSource square = Frame(4, 4, 4, 4, 3, 0);
  square.delay = 30;
  const Bytes two = Gif(16, 16, {Frame(0, 0, 16, 16, 1), square});
  const uint8_t control[] = {0x21, 0xF9, 0x04};
  const size_t extension = size_t(std::search(two.begin(), two.end(), control, control + 3) - two.begin());
  Bytes stray = two, other_signature = two;
  stray.insert(stray.begin() + long(extension) + 8, 0x00);
  other_signature[0] = 'J';
  GifFrameSource noise = Frame(0, 0, 32, 32, 0);
  uint32_t seed = 99;
  for (uint8_t& i : noise.indices) i = uint8_t((seed = seed * 1103515245u + 12345u) >> 29 & 3);
  const Bytes cut = CutFirstFrameShort(Gif(32, 32, {noise, Frame(4, 4, 4, 4, 3)}));
  const Bytes past = Gif(20, 20, {Frame(0, 0, 20, 20, 1), Frame(0, 11, 5, 10, 3), Frame(0, 10, 5, 10, 3)});
  // Transparent pixels keep the earlier frame only when it stays (disposal 1), else clear to index 0.
  GifFrameSource holes = Frame(0, 0, 4, 2, 3, 2, 0);
  for (int y = 0; y < 2; ++y) holes.indices[y * 4] = holes.indices[y * 4 + 1] = 0;
  holes.delay = 7;
  const Bytes over_kept = Gif(4, 2, {Frame(0, 0, 4, 2, 1, 1), holes});
  const Bytes over_gone = Gif(4, 2, {Frame(0, 0, 4, 2, 1, 0), holes});
  const Bytes to_background = Gif(6, 6, {Frame(0, 0, 6, 6, 1, 1), Frame(1, 1, 2, 2, 3, 2), Frame(5, 5, 1, 1, 3)});
  const Bytes to_previous = Gif(6, 6, {Frame(0, 0, 6, 6, 1, 1), Frame(1, 1, 2, 2, 3, 3), Frame(5, 5, 1, 1, 3)});
  const struct {
    const char* name;
    Bytes bytes;
    std::vector<int> ok;  // per frame; empty: rejected
    std::vector<Check> checks;
    std::vector<int32_t> delays = {};
  } cases[] = {
      {"other signature", other_signature, {}, {}},
      {"background around the frame", Framed(2, -1), {1}, Around(kGreen)},
      {"background 255: transparent black", Framed(255, -1), {1}, Around(0)},
      {"background past the map: black", Framed(7, -1), {1}, Around(0xFF000000)},
      {"background transparent, index 0", Framed(1, 0), {1}, Around(kClearSlate)},
      {"later frame past the screen", past, {1, 0, 1}, {{2, 0, 19, kBlue}}},
      {"no colours but a local map", no_global, {0, 1}, {{1, 1, 1, kRed}}},
      {"cut inside the last frame", Bytes(two.begin(), two.end() - 6), {}, {}},
      {"stray byte after an extension", stray, {1, 1}, {{1, 5, 5, kBlue}}, {0, 0}},
      {"first frame cut short",
       cut,
       {1, 1},
       {{0, 0, 0, kGreen}, {0, 31, 31, kGreen}, {1, 3, 4, kGreen}, {1, 4, 4, kBlue}}},
      {"transparent over a frame that stays", over_kept, {1, 1}, {{1, 1, 1, kRed}, {1, 2, 0, kBlue}}, {0, 70}},
      {"transparent over a frame that goes", over_gone, {1, 1}, {{1, 1, 1, kClearSlate}, {1, 2, 0, kBlue}}, {0, 70}},
      {"disposal to the background", to_background, {1, 1, 1}, {{2, 1, 1, kGreen}, {2, 3, 3, kRed}, {2, 5, 5, kBlue}}},
      {"disposal to the previous frame", to_previous, {1, 1, 1}, {{2, 1, 1, kRed}, {2, 3, 3, kRed}, {2, 5, 5, kBlue}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testimg::Decoded d = DecodeWith(image::kGifDecoder, c.bytes);
    ASSERT_EQ(d.accepted != 0, !c.ok.empty());
    if (!d.accepted) continue;
    EXPECT_EQ(d.width, c.bytes[6] | c.bytes[7] << 8);
    EXPECT_EQ(d.height, c.bytes[8] | c.bytes[9] << 8);
    EXPECT_EQ(d.depth, 32);
    EXPECT_EQ(d.source_depth, 8);
    ASSERT_EQ(d.frame_ok, c.ok);
    EXPECT_TRUE(d.padding_intact);
    for (const Check& k : c.checks) {
      uint32_t pixel;
      std::memcpy(&pixel, &d.frames.at(k.frame)[(size_t(k.y) * d.width + k.x) * 4], 4);
      ASSERT_EQ(pixel, k.colour) << k.frame << ": " << k.x << "," << k.y;
    }
    EXPECT_TRUE(c.delays.empty() || d.delays == c.delays);
    EXPECT_EQ(DecodeWith(image::kGifDecoder, c.bytes, /*top_down=*/true).frames, d.frames);
  }
}

Bytes Cmyk(bool progressive, bool scan_per_component = false) {
  testimg::JpegSource source = Noise(64, 64, progressive, 4);
  source.scan_per_component = scan_per_component;
  return testimg::EncodeJpeg(source);
}

// An 8 x 8 GIF whose frame's LZW data ends at once (a clear code, then the end code, in one byte that
// reads 0x2C), so giflib's first reading stops inside it. Its next data block, 0x2C bytes long, read as
// records from there holds a whole second frame and the trailer.
Bytes SecondReadingFindsAFrame() {
  const Bytes real = Gif(8, 8, {Frame(0, 0, 8, 8, 1)});
  const size_t lzw = 13 + 3 * kMap.size() + 10;  // screen, map, image descriptor
  Bytes gif(real.begin(), real.begin() + long(lzw));
  for (uint8_t b : {2, 1, 0x2C, 0x2C}) gif.push_back(b);  // code size, a block of the two codes, the next block
  const Bytes frame = {0, 0, 0, 0, 8, 0, 8, 0, 0};        // after the 0x2C that starts it
  gif.insert(gif.end(), frame.begin(), frame.end());
  gif.insert(gif.end(), real.begin() + long(lzw), real.end());
  gif.resize(lzw + 4 + 0x2C, 0);
  for (uint8_t b : {0x00, 0x3B}) gif.push_back(b);  // the end of the first frame's data, the trailer
  return gif;
}

// What the headers ask for decides in the check, before it is taken: a picture whose bitmap, or what
// libjpeg or giflib keep while reading it, would pass the budget gives no image, measured or loaded,
// and its estimate leaves that out; within the budget it loads, its estimate covering what the
// decoder keeps. libjpeg keeps every coefficient of a file of several scans, 128 bytes a block, blocks
// rounded up to whole sampling units (17 x 17 in 4:2:0: 16 luma, 2 x 4 chroma); giflib every raster.
TEST(DecoderMemory, WhatTheHeadersAskForDecidesWithinTheBudget) {
  const Bytes whole = testimg::EncodeJpeg(Flat({1, 2, 3}));
  Bytes other = whole;
  other[1] = 0xD9;
  const Bytes baseline = testimg::EncodeJpeg(Noise(16, 16, false)),
              progressive = testimg::EncodeJpeg(Noise(16, 16, true));
  GifFrameSource with_map = Frame(0, 0, 100, 100, 1);
  with_map.local_map = kMap;  // for the walk to step over
  const Bytes ten_frames = Gif(100, 100, std::vector<GifFrameSource>(10, with_map));
  // A comment whose first block is empty: giflib then reads one more chain of blocks, here one of 4.
  Bytes hidden = ten_frames;
  const uint8_t comment[] = {0x21, 0xFE, 0, 4, 'f', 'o', 'u', 'r', 0};
  hidden.insert(hidden.begin() + 13 + 3 * long(kMap.size()), comment, comment + sizeof(comment));
  const struct {
    const char* name;
    Bytes bytes;
    uint64_t budget;
    int32_t width = 0, height = 0;  // 0: no image
    uint64_t kept = 0;              // the estimate beside the bytes: at least for images, at most for the rest
  } cases[] = {
      {"one byte", Bytes{0xFF}, image::kImageMaxBytes},
      {"cut in the header", Bytes(whole.begin(), whole.begin() + 20), image::kImageMaxBytes},
      {"another marker first", other, image::kImageMaxBytes},
      {"26000 x 27500 CMYK, progressive: 5.7 GB of coefficients", Resized(Cmyk(true), 26000, 27500),
       image::kImageMaxBytes},
      {"a bitmap at the budget", Resized(baseline, 1000, 1000), 3000 * 1000, 1000, 1000},
      {"a bitmap a row past it", Resized(baseline, 1000, 1001), 3000 * 1000},
      {"CMYK, progressive, its coefficients at the budget", Cmyk(true), 64 * 64 * 8, 64, 64, 64 * 64 * 8},
      {"a byte below them", Cmyk(true), 64 * 64 * 8 - 1},
      {"CMYK, a scan per component, a byte below them", Cmyk(false, true), 64 * 64 * 8 - 1},
      {"CMYK in one scan: the measurement's own pass", Cmyk(false), 64 * 64 * 8 - 1, 64, 64, 64 * 64 * 8},
      {"4:2:0, 17 x 17", Resized(progressive, 17, 17), 24 * 128, 17, 17, 24 * 128},
      {"a byte below its whole sampling units", Resized(progressive, 17, 17), 24 * 128 - 1},
      {"GIF frames just within", ten_frames, 110 * 1000, 100, 100, 100 * 1000},
      {"just past", ten_frames, 99999},
      {"behind an extension that starts empty", hidden, 99999},
      {"a second reading that finds records the first never saw", SecondReadingFindsAFrame(), image::kImageMaxBytes, 0,
       0, 64 << 10},
  };
  image::InitImageLibrary();
  image::UseJpegDecoder();
  image::UseGifDecoder();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto size = int32_t(c.bytes.size());
    image::SetImageByteBudget(c.budget);
    image::ImageSize measured{};
    const bool measures = image::MeasureImageMemory(c.bytes.data(), size, &measured);
    const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, c.bytes.data(), size);
    const uint64_t estimate = image::MeasurementMemory(c.bytes.data(), size);
    const bool checked = image::OpenDecoder(c.bytes.data(), size) != 0;
    image::CloseDecoder();
    image::SetImageByteBudget(image::kImageMaxBytes);
    ASSERT_EQ(number != 0, c.width != 0);
    EXPECT_EQ(measures, number != 0);
    EXPECT_EQ(checked, number != 0) << "refused by the decoder's check";
    if (number == 0) {
      EXPECT_LE(estimate, c.bytes.size() + c.kept) << "what the headers ask for is not counted";
      continue;
    }
    EXPECT_EQ(image::ImagePixelWidth(number), c.width);
    EXPECT_EQ(image::ImagePixelHeight(number), c.height);
    EXPECT_EQ(measured.width, c.width);
    EXPECT_EQ(measured.height, c.height);
    EXPECT_GE(estimate, c.bytes.size() + c.kept);
    image::ReleaseImage(number);
  }
}

}  // namespace
