#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "image/decoders.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodeGif;
using testimg::GifFrameSource;
using testimg::GifSource;

namespace {

// Index 0 black, 1 red, 2 green (the screen's background), 3 blue.
const std::vector<GifColorType> kMap = {{0, 0, 0}, {255, 0, 0}, {0, 200, 0}, {0, 0, 255}};
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00C800, kBlue = 0xFF0000FF;

GifFrameSource Frame(int left, int top, int width, int height, uint8_t index, int disposal = -1, int transparent = -1) {
  GifFrameSource f{left, top, width, height, std::vector<uint8_t>(size_t(width) * height, index)};
  f.control = disposal >= 0, f.disposal = std::max(disposal, 0), f.transparent = transparent;
  return f;
}

testimg::Decoded Decode(int width, int height, std::vector<GifFrameSource> frames, int background = 2) {
  return DecodeWith(image::kGifDecoder, EncodeGif({width, height, background, true, kMap, std::move(frames)}));
}

uint32_t Pixel(const testimg::Decoded& d, size_t frame, int x, int y) {
  uint32_t v;
  std::memcpy(&v, &d.frames.at(frame)[(size_t(y) * d.width + x) * 4], 4);
  return v;
}

TEST(GifDecoder, AcceptsBothVersionsAndAnyVersionLetters) {
  GifSource s{4, 4, 2, false, kMap, {Frame(0, 0, 4, 4, 1)}};
  const Bytes gif87 = EncodeGif(s);
  ASSERT_EQ(std::string(gif87.begin(), gif87.begin() + 6), "GIF87a");
  s.gif89 = true, s.frames[0].control = true;
  const Bytes gif89 = EncodeGif(s);
  Bytes other = gif89, not_gif = gif89;
  other[3] = '0', other[4] = '0', other[5] = 'z', not_gif[0] = 'J';
  for (const Bytes& bytes : {gif87, gif89, other}) {
    const testimg::Decoded d = DecodeWith(image::kGifDecoder, bytes);
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.depth, 32);
    EXPECT_EQ(d.source_depth, 8);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(Pixel(d, 0, 3, 3), kRed);
  }
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, not_gif).accepted);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes{'G', 'I', 'F'}).accepted);
}

// Around a frame smaller than the screen: the background colour, transparent black for index 255,
// opaque black for an index past the map, and a transparent index's colour with alpha 0.
TEST(GifDecoder, ScreenAroundAFrameShowsTheBackground) {
  const struct {
    int background, transparent;
    uint32_t fill;
  } cases[] = {{2, -1, kGreen}, {255, -1, 0}, {7, -1, 0xFF000000}, {1, 2, 0x0000C800}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.background);
    GifFrameSource f = Frame(20, 10, 10, 10, 1, 0, c.transparent);
    f.indices[0] = 3;  // top-left corner blue
    const testimg::Decoded d = Decode(100, 50, {f}, c.background);
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 100);
    EXPECT_EQ(d.height, 50);
    EXPECT_EQ(d.frame_count, 1);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_TRUE(d.padding_intact);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {99, 49}, {19, 10}, {30, 19}, {29, 20}})
      EXPECT_EQ(Pixel(d, 0, x, y), c.fill);
    EXPECT_EQ(Pixel(d, 0, 20, 10), kBlue);
    EXPECT_EQ(Pixel(d, 0, 29, 19), kRed);
    // The rows come out the same whichever way the destination runs.
    const Bytes gif = EncodeGif({100, 50, c.background, true, kMap, {f}});
    EXPECT_EQ(DecodeWith(image::kGifDecoder, gif, /*top_down=*/true).frames, d.frames);
  }
}

TEST(GifDecoder, AnimationDecodesEveryFrameWithItsDelayUntilTheLast) {
  std::vector<GifFrameSource> frames;
  for (int i = 0; i < 12; ++i) {
    frames.push_back(Frame(i % 6, 0, 1, 6, i < 6 ? 1 : 3, 1));
    frames.back().delay = 7 + i;
  }
  const testimg::Decoded d = Decode(6, 6, frames);
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.frame_count, 12);
  ASSERT_EQ(d.frame_ok, std::vector<int>(12, 1));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(d.delays[i], (7 + i) * 10);
  // Frames 6 to 11 paint over the columns of frames 0 to 5.
  EXPECT_EQ(Pixel(d, 5, 0, 3), kRed);
  EXPECT_EQ(Pixel(d, 6, 0, 3), kBlue);
  EXPECT_EQ(Pixel(d, 6, 1, 3), kRed);
  EXPECT_EQ(Pixel(d, 11, 5, 0), kBlue);

  const Bytes gif = EncodeGif({2, 2, 2, true, kMap, {Frame(0, 0, 2, 2, 1)}});
  image::DecoderState state{};
  state.data = gif.data();
  state.size = int32_t(gif.size());
  ASSERT_TRUE(image::kGifDecoder.check(&state));
  Bytes rows(64);
  EXPECT_TRUE(image::kGifDecoder.decode(&state, rows.data(), 8, image::DecodeBottomUp));
  EXPECT_FALSE(image::kGifDecoder.decode(&state, rows.data(), 8, image::DecodeBottomUp)) << "past the last frame";
  image::kGifDecoder.release(&state, &image::kGifDecoder);
}

TEST(GifDecoder, FramePastTheScreenOrWithoutColoursFailsThatFrame) {
  EXPECT_EQ(Decode(20, 20, {Frame(15, 0, 10, 10, 1)}).frame_ok, std::vector<int>{0});
  const testimg::Decoded later =
      Decode(20, 20, {Frame(0, 0, 20, 20, 1), Frame(0, 11, 5, 10, 3), Frame(0, 10, 5, 10, 3)});
  EXPECT_EQ(later.frame_ok, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Pixel(later, 2, 0, 19), kBlue);

  // giflib writes no file without a global map, so drop it from a written one: clear the flag in
  // the screen descriptor and take out the four colours after it.
  GifFrameSource with_map = Frame(0, 0, 4, 4, 1);
  with_map.local_map = kMap;
  Bytes gif = EncodeGif({4, 4, 2, true, kMap, {Frame(0, 0, 4, 4, 1), with_map}});
  ASSERT_EQ(gif[10] & 0x87, 0x81);
  gif[10] &= 0x7F;
  gif.erase(gif.begin() + 13, gif.begin() + 13 + 4 * 3);
  const testimg::Decoded d = DecodeWith(image::kGifDecoder, gif);
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.frame_ok, (std::vector<int>{0, 1}));
  EXPECT_EQ(Pixel(d, 1, 1, 1), kRed);
}

// A file cut short is rejected. A stray byte between records stops giflib's first reading, and
// the second finishes; an extension read before the byte is dropped (and freed: the sanitizer build
// checks for leaks).
TEST(GifDecoder, TruncatedFilesAreRejectedAndAStrayByteBetweenRecordsIsNot) {
  GifFrameSource square = Frame(4, 4, 4, 4, 3, 0);
  square.delay = 30;
  const Bytes gif = EncodeGif({16, 16, 2, true, kMap, {Frame(0, 0, 16, 16, 1), square}});
  ASSERT_EQ(gif.back(), 0x3B);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes(gif.begin(), gif.end() - 1)).accepted);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes(gif.begin(), gif.end() - 6)).accepted);
  const uint8_t control[] = {0x21, 0xF9, 0x04};
  const auto extension = std::search(gif.begin(), gif.end(), control, control + 3) - gif.begin();
  for (auto [at, delay] : {std::pair{std::ptrdiff_t(gif.size()) - 1, 300}, std::pair{extension + 8, 0}}) {
    Bytes stray = gif;
    stray.insert(stray.begin() + at, 0x00);
    const testimg::Decoded d = DecodeWith(image::kGifDecoder, stray);
    ASSERT_TRUE(d.accepted) << at;
    EXPECT_EQ(d.frame_ok, (std::vector<int>{1, 1}));
    EXPECT_EQ(d.delays[1], delay);
    EXPECT_EQ(Pixel(d, 1, 5, 5), kBlue);
  }
}

// A frame whose data stops short: the first reading stops inside it and the second finishes the
// file. Part of its raster was never written, so it is not drawn at all: its bitmap shows the canvas
// as the frames before it left it (a new canvas: the background), and later frames draw as usual.
TEST(GifDecoder, FrameWhoseDataStopsShortIsNotDrawn) {
  GifFrameSource noise = Frame(0, 0, 32, 32, 0);
  uint32_t seed = 99;
  for (uint8_t& i : noise.indices) i = uint8_t((seed = seed * 1103515245u + 12345u) >> 29 & 3);
  const struct {
    std::vector<GifFrameSource> frames;
    int short_frame;
    uint32_t short_shows;  // every pixel of the short frame's bitmap
  } cases[] = {
      {{noise, Frame(4, 4, 4, 4, 3)}, 0, kGreen},
      {{Frame(0, 0, 32, 32, 1), noise, Frame(4, 4, 4, 4, 3)}, 1, kRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("short frame " + std::to_string(c.short_frame));
    const Bytes gif = testimg::CutGifFrameShort(EncodeGif({32, 32, 2, true, kMap, c.frames}), c.short_frame);
    const testimg::Decoded d = DecodeWith(image::kGifDecoder, gif);
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 32);
    EXPECT_EQ(d.height, 32);
    ASSERT_EQ(d.frame_ok, std::vector<int>(c.frames.size(), 1));
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        ASSERT_EQ(Pixel(d, size_t(c.short_frame), x, y), c.short_shows) << x << "," << y;
        const bool square = x >= 4 && x < 8 && y >= 4 && y < 8;
        ASSERT_EQ(Pixel(d, c.frames.size() - 1, x, y), square ? kBlue : c.short_shows) << x << "," << y;
      }
    }
  }
}

// A transparent pixel keeps the earlier frame only when that frame stays (disposal 1); otherwise it
// shows index 0's colour, transparent.
TEST(GifDecoder, TransparentPixelsKeepTheEarlierFrameOnlyWhenItStays) {
  for (int first_disposal : {1, 0}) {
    SCOPED_TRACE("first frame disposal " + std::to_string(first_disposal));
    GifFrameSource holes = Frame(0, 0, 4, 2, 3, 2, 0);
    for (int y = 0; y < 2; ++y) holes.indices[y * 4] = holes.indices[y * 4 + 1] = 0;  // left half
    const testimg::Decoded d = Decode(4, 2, {Frame(0, 0, 4, 2, 1, first_disposal), holes});
    ASSERT_EQ(d.frame_ok, (std::vector<int>{1, 1}));
    EXPECT_EQ(Pixel(d, 1, 0, 0), first_disposal == 1 ? kRed : 0u);
    EXPECT_EQ(Pixel(d, 1, 1, 1), first_disposal == 1 ? kRed : 0u);
    EXPECT_EQ(Pixel(d, 1, 2, 0), kBlue);
  }
}

// Disposal 2 clears the frame's rectangle to the background; 3 brings back what the first frame left.
TEST(GifDecoder, DisposalToBackgroundAndToPrevious) {
  for (int disposal : {2, 3}) {
    SCOPED_TRACE("disposal " + std::to_string(disposal));
    const testimg::Decoded d =
        Decode(6, 6, {Frame(0, 0, 6, 6, 1, 1), Frame(1, 1, 2, 2, 3, disposal), Frame(5, 5, 1, 1, 3)});
    ASSERT_EQ(d.frame_ok, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Pixel(d, 1, 1, 1), kBlue);
    EXPECT_EQ(Pixel(d, 2, 1, 1), disposal == 2 ? kGreen : kRed);
    EXPECT_EQ(Pixel(d, 2, 2, 2), disposal == 2 ? kGreen : kRed);
    EXPECT_EQ(Pixel(d, 2, 3, 3), kRed);
    EXPECT_EQ(Pixel(d, 2, 5, 5), kBlue);
  }
}

}  // namespace
