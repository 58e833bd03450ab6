#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "image/decoders.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::GifFrameSource;

namespace {

// Index 0 black, 1 red, 2 green (the screen's background), 3 blue.
const std::vector<GifColorType> kMap = {{0, 0, 0}, {255, 0, 0}, {0, 200, 0}, {0, 0, 255}};
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00C800, kBlue = 0xFF0000FF;

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

uint32_t Pixel(const testimg::Decoded& d, size_t frame, int x, int y) {
  uint32_t v;
  std::memcpy(&v, &d.frames.at(frame)[(size_t(y) * d.width + x) * 4], 4);
  return v;
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
  // Transparent pixels keep the earlier frame only when it stays (disposal 1), else show index 0.
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
      {"background transparent", Framed(1, 2), {1}, Around(0x0000C800)},
      {"later frame past the screen", past, {1, 0, 1}, {{2, 0, 19, kBlue}}},
      {"no colours but a local map", no_global, {0, 1}, {{1, 1, 1, kRed}}},
      {"cut inside the last frame", Bytes(two.begin(), two.end() - 6), {}, {}},
      {"stray byte after an extension", stray, {1, 1}, {{1, 5, 5, kBlue}}, {0, 0}},
      {"first frame cut short",
       cut,
       {1, 1},
       {{0, 0, 0, kGreen}, {0, 31, 31, kGreen}, {1, 3, 4, kGreen}, {1, 4, 4, kBlue}}},
      {"transparent over a frame that stays", over_kept, {1, 1}, {{1, 1, 1, kRed}, {1, 2, 0, kBlue}}, {0, 70}},
      {"transparent over a frame that goes", over_gone, {1, 1}, {{1, 1, 1, 0}, {1, 2, 0, kBlue}}, {0, 70}},
      {"disposal to the background", to_background, {1, 1, 1}, {{2, 1, 1, kGreen}, {2, 3, 3, kRed}, {2, 5, 5, kBlue}}},
      {"disposal to the previous frame", to_previous, {1, 1, 1}, {{2, 1, 1, kRed}, {2, 3, 3, kRed}, {2, 5, 5, kBlue}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testimg::Decoded d = testimg::DecodeWith(image::kGifDecoder, c.bytes);
    ASSERT_EQ(d.accepted != 0, !c.ok.empty());
    if (!d.accepted) continue;
    EXPECT_EQ(d.width, c.bytes[6] | c.bytes[7] << 8);
    EXPECT_EQ(d.height, c.bytes[8] | c.bytes[9] << 8);
    EXPECT_EQ(d.depth, 32);
    EXPECT_EQ(d.source_depth, 8);
    ASSERT_EQ(d.frame_ok, c.ok);
    EXPECT_TRUE(d.padding_intact);
    for (const Check& k : c.checks)
      ASSERT_EQ(Pixel(d, k.frame, k.x, k.y), k.colour) << k.frame << ": " << k.x << "," << k.y;
    EXPECT_TRUE(c.delays.empty() || d.delays == c.delays);
    EXPECT_EQ(testimg::DecodeWith(image::kGifDecoder, c.bytes, /*top_down=*/true).frames, d.frames);
  }
}

}  // namespace
