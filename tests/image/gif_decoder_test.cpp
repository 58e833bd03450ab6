#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "image/decoders.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodeGif;
using testimg::GifFrameSource;
using testimg::GifSource;

namespace {

// Index 0 black, 1 red, 2 green, 3 blue.
const std::vector<GifColorType> kMap = {{0, 0, 0}, {255, 0, 0}, {0, 200, 0}, {0, 0, 255}};
const std::vector<uint8_t> kControl = {0x21, 0xF9, 0x04};  // graphics control extension
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00C800, kBlue = 0xFF0000FF;

GifFrameSource Frame(int left, int top, int width, int height, uint8_t index) {
  GifFrameSource f;
  f.left = left, f.top = top, f.width = width, f.height = height;
  f.indices.assign(size_t(width) * height, index);
  return f;
}

GifSource Screen(int width, int height, int background = 2) {
  GifSource s;
  s.width = width, s.height = height, s.background = background;
  s.global_map = kMap;
  return s;
}

uint32_t Pixel(const testimg::Decoded& d, size_t frame, int x, int y) {
  uint32_t v;
  std::memcpy(&v, &d.frames[frame][(size_t(y) * d.width + x) * 4], 4);
  return v;
}

TEST(GifDecoder, AcceptsBothVersionsAndAnyVersionLetters) {
  GifSource s = Screen(4, 4);
  s.gif89 = false;
  s.frames = {Frame(0, 0, 4, 4, 1)};
  Bytes gif87 = EncodeGif(s);
  ASSERT_EQ(std::string(gif87.begin(), gif87.begin() + 6), "GIF87a");
  s.gif89 = true;
  s.frames[0].control = true;
  Bytes gif89 = EncodeGif(s);
  ASSERT_EQ(std::string(gif89.begin(), gif89.begin() + 6), "GIF89a");
  Bytes other = gif89;
  other[3] = '0', other[4] = '0', other[5] = 'z';
  for (const Bytes& bytes : {gif87, gif89, other}) {
    testimg::Decoded d = DecodeWith(image::kGifDecoder, bytes);
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.depth, 32);
    EXPECT_EQ(d.source_depth, 8);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(Pixel(d, 0, 3, 3), kRed);
  }
  Bytes not_gif = gif89;
  not_gif[0] = 'J';
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, not_gif).accepted);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes{'G', 'I', 'F'}).accepted);
}

TEST(GifDecoder, SmallFrameOnALargerScreenShowsTheBackgroundAround) {
  GifSource s = Screen(100, 50);
  GifFrameSource f = Frame(20, 10, 10, 10, 1);
  f.indices[0] = 3;  // top-left corner blue
  s.frames = {f};
  testimg::Decoded d = DecodeWith(image::kGifDecoder, EncodeGif(s));
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.width, 100);
  EXPECT_EQ(d.height, 50);
  EXPECT_EQ(d.frame_count, 1);
  ASSERT_EQ(d.frame_ok, std::vector<int>{1});
  EXPECT_TRUE(d.padding_intact);
  EXPECT_EQ(Pixel(d, 0, 0, 0), kGreen);
  EXPECT_EQ(Pixel(d, 0, 99, 49), kGreen);
  EXPECT_EQ(Pixel(d, 0, 19, 10), kGreen);
  EXPECT_EQ(Pixel(d, 0, 20, 10), kBlue);
  EXPECT_EQ(Pixel(d, 0, 29, 19), kRed);
  EXPECT_EQ(Pixel(d, 0, 30, 19), kGreen);
  EXPECT_EQ(Pixel(d, 0, 29, 20), kGreen);

  // The rows come out the same whichever way the destination runs.
  testimg::Decoded top_down = DecodeWith(image::kGifDecoder, EncodeGif(s), /*top_down=*/true);
  EXPECT_EQ(top_down.frames[0], d.frames[0]);
}

TEST(GifDecoder, BackgroundFillFollowsTheScreenIndexAndTheFrameTransparency) {
  struct Case {
    int background;
    int transparent;
    uint32_t fill;
  } cases[] = {
      {255, -1, 0},                   // 255: transparent black
      {7, -1, 0xFF000000},            // beyond the map: opaque black
      {1, 3, 0x000000FF},             // a transparent index: its colour, alpha 0
  };
  for (const Case& c : cases) {
    GifSource s = Screen(8, 8, c.background);
    GifFrameSource f = Frame(2, 2, 2, 2, 1);
    f.control = true;
    f.transparent = c.transparent;
    s.frames = {f};
    testimg::Decoded d = DecodeWith(image::kGifDecoder, EncodeGif(s));
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(Pixel(d, 0, 0, 0), c.fill) << c.background;
    EXPECT_EQ(Pixel(d, 0, 2, 2), kRed);
  }
}

TEST(GifDecoder, AnimationDecodesEveryFrameWithItsDelay) {
  GifSource s = Screen(6, 6);
  for (int i = 0; i < 12; ++i) {
    GifFrameSource f = Frame(i % 6, 0, 1, 6, i < 6 ? 1 : 3);
    f.control = true;
    f.disposal = 1;
    f.delay = 7 + i;
    s.frames.push_back(f);
  }
  testimg::Decoded d = DecodeWith(image::kGifDecoder, EncodeGif(s));
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.frame_count, 12);
  ASSERT_EQ(d.frame_ok, std::vector<int>(12, 1));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(d.delays[i], (7 + i) * 10);
  // Frames 6 to 11 paint over the columns of frames 0 to 5.
  EXPECT_EQ(Pixel(d, 5, 0, 3), kRed);
  EXPECT_EQ(Pixel(d, 6, 0, 3), kBlue);
  EXPECT_EQ(Pixel(d, 6, 1, 3), kRed);
  EXPECT_EQ(Pixel(d, 11, 5, 0), kBlue);
}

TEST(GifDecoder, FrameReachingPastTheScreenFailsThatFrame) {
  GifSource s = Screen(20, 20);
  s.frames = {Frame(15, 0, 10, 10, 1)};
  testimg::Decoded first = DecodeWith(image::kGifDecoder, EncodeGif(s));
  ASSERT_TRUE(first.accepted);
  EXPECT_EQ(first.frame_ok, std::vector<int>{0});

  s.frames = {Frame(0, 0, 20, 20, 1), Frame(0, 11, 5, 10, 3), Frame(0, 10, 5, 10, 3)};
  testimg::Decoded later = DecodeWith(image::kGifDecoder, EncodeGif(s));
  EXPECT_EQ(later.frame_ok, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Pixel(later, 2, 0, 19), kBlue);
}

TEST(GifDecoder, FrameWithoutAnyColourMapFailsThatFrame) {
  GifSource s = Screen(4, 4);
  GifFrameSource with_map = Frame(0, 0, 4, 4, 1);
  with_map.local_map = kMap;
  s.frames = {Frame(0, 0, 4, 4, 1), with_map};
  Bytes gif = EncodeGif(s);
  // giflib writes no file without a global map, so drop it from the written one: clear the flag
  // in the screen descriptor and take out the four colours after it.
  ASSERT_EQ(gif[10] & 0x87, 0x81);
  gif[10] &= 0x7F;
  gif.erase(gif.begin() + 13, gif.begin() + 13 + 4 * 3);
  testimg::Decoded d = DecodeWith(image::kGifDecoder, gif);
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.frame_ok, (std::vector<int>{0, 1}));
  EXPECT_EQ(Pixel(d, 1, 1, 1), kRed);
}

TEST(GifDecoder, TruncatedFilesAreRejectedAndAStrayByteBetweenRecordsIsNot) {
  GifSource s = Screen(16, 16);
  s.frames = {Frame(0, 0, 16, 16, 1), Frame(4, 4, 4, 4, 3)};
  Bytes gif = EncodeGif(s);
  ASSERT_EQ(gif.back(), 0x3B);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes(gif.begin(), gif.end() - 1)).accepted);
  EXPECT_FALSE(DecodeWith(image::kGifDecoder, Bytes(gif.begin(), gif.end() - 6)).accepted);

  // A stray byte before the trailer: the first reading stops there and the second finishes.
  Bytes stray = gif;
  stray.insert(stray.end() - 1, 0x00);
  testimg::Decoded d = DecodeWith(image::kGifDecoder, stray);
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.frame_ok, (std::vector<int>{1, 1}));
  EXPECT_EQ(Pixel(d, 1, 5, 5), kBlue);

  // A stray byte between a frame's control extension and the frame: the extension read before
  // it is dropped (and freed: the sanitizer build checks for leaks), the frame itself still shows.
  s.frames[1].control = true;
  s.frames[1].delay = 30;
  Bytes after_extension = EncodeGif(s);
  auto extension = std::search(after_extension.begin(), after_extension.end(), kControl.begin(), kControl.end());
  ASSERT_NE(extension, after_extension.end());
  after_extension.insert(extension + 8, 0x00);
  testimg::Decoded e = DecodeWith(image::kGifDecoder, after_extension);
  ASSERT_TRUE(e.accepted);
  EXPECT_EQ(e.frame_ok, (std::vector<int>{1, 1}));
  EXPECT_EQ(e.delays[1], 0);
  EXPECT_EQ(Pixel(e, 1, 5, 5), kBlue);
}

// A frame whose data stops short: the first reading stops inside it and the second finishes the
// file. Part of that frame's raster was never written, so it is not drawn at all: its bitmap shows
// the canvas as the frames before it left it (a new canvas: the background), and the frames after
// it draw as usual.
TEST(GifDecoder, FrameWhoseDataStopsShortIsNotDrawn) {
  GifFrameSource noise = Frame(0, 0, 32, 32, 0);
  uint32_t seed = 99;
  for (uint8_t& i : noise.indices) {
    seed = seed * 1103515245u + 12345u;
    i = uint8_t(seed >> 29 & 3);
  }
  struct Case {
    std::vector<GifFrameSource> frames;
    int short_frame;
    uint32_t short_shows;  // every pixel of the short frame's bitmap
  } cases[] = {
      {{noise, Frame(4, 4, 4, 4, 3)}, 0, kGreen},
      {{Frame(0, 0, 32, 32, 1), noise, Frame(4, 4, 4, 4, 3)}, 1, kRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("short frame " + std::to_string(c.short_frame));
    GifSource s = Screen(32, 32);
    s.frames = c.frames;
    testimg::Decoded d = DecodeWith(image::kGifDecoder, testimg::CutGifFrameShort(EncodeGif(s), c.short_frame));
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 32);
    EXPECT_EQ(d.height, 32);
    ASSERT_EQ(d.frame_count, int(c.frames.size()));
    EXPECT_EQ(d.frame_ok, std::vector<int>(c.frames.size(), 1));
    const size_t last = c.frames.size() - 1;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        ASSERT_EQ(Pixel(d, size_t(c.short_frame), x, y), c.short_shows) << x << "," << y;
        bool square = x >= 4 && x < 8 && y >= 4 && y < 8;
        ASSERT_EQ(Pixel(d, last, x, y), square ? kBlue : c.short_shows) << x << "," << y;
      }
    }
  }
}

TEST(GifDecoder, TransparentPixelsKeepTheEarlierFrameOnlyWhenItStays) {
  for (int first_disposal : {1, 0}) {
    SCOPED_TRACE("first frame disposal " + std::to_string(first_disposal));
    GifSource s = Screen(4, 2);
    GifFrameSource red = Frame(0, 0, 4, 2, 1);
    red.control = true;
    red.disposal = first_disposal;
    GifFrameSource holes = Frame(0, 0, 4, 2, 3);
    holes.control = true;
    holes.disposal = 2;
    holes.transparent = 0;
    for (int y = 0; y < 2; ++y) holes.indices[y * 4] = holes.indices[y * 4 + 1] = 0;  // left half
    s.frames = {red, holes};
    testimg::Decoded d = DecodeWith(image::kGifDecoder, EncodeGif(s));
    ASSERT_EQ(d.frame_ok, (std::vector<int>{1, 1}));
    // Kept when the earlier frame stays; otherwise the hole shows index 0's colour, transparent.
    EXPECT_EQ(Pixel(d, 1, 0, 0), first_disposal == 1 ? kRed : 0x00000000u);
    EXPECT_EQ(Pixel(d, 1, 1, 1), first_disposal == 1 ? kRed : 0x00000000u);
    EXPECT_EQ(Pixel(d, 1, 2, 0), kBlue);
  }
}

TEST(GifDecoder, DisposalToBackgroundAndToPrevious) {
  GifSource s = Screen(6, 6);
  GifFrameSource red = Frame(0, 0, 6, 6, 1);
  red.control = true;
  red.disposal = 1;
  GifFrameSource blue = Frame(1, 1, 2, 2, 3);
  blue.control = true;
  GifFrameSource dot = Frame(5, 5, 1, 1, 3);
  for (int disposal : {2, 3}) {
    SCOPED_TRACE("disposal " + std::to_string(disposal));
    blue.disposal = disposal;
    s.frames = {red, blue, dot};
    testimg::Decoded d = DecodeWith(image::kGifDecoder, EncodeGif(s));
    ASSERT_EQ(d.frame_ok, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Pixel(d, 1, 1, 1), kBlue);
    // 2 clears the frame's rectangle to the background; 3 brings back what the first frame left.
    EXPECT_EQ(Pixel(d, 2, 1, 1), disposal == 2 ? kGreen : kRed);
    EXPECT_EQ(Pixel(d, 2, 2, 2), disposal == 2 ? kGreen : kRed);
    EXPECT_EQ(Pixel(d, 2, 3, 3), kRed);
    EXPECT_EQ(Pixel(d, 2, 5, 5), kBlue);
  }
}

TEST(GifDecoder, DecodingPastTheLastFrameFails) {
  GifSource s = Screen(2, 2);
  s.frames = {Frame(0, 0, 2, 2, 1)};
  Bytes gif = EncodeGif(s);
  image::DecoderState state{};
  state.data = gif.data();
  state.size = int32_t(gif.size());
  ASSERT_TRUE(image::kGifDecoder.check(&state));
  Bytes rows(64);
  EXPECT_TRUE(image::kGifDecoder.decode(&state, rows.data(), 8, image::DecodeBottomUp));
  EXPECT_FALSE(image::kGifDecoder.decode(&state, rows.data(), 8, image::DecodeBottomUp));
  image::kGifDecoder.release(&state, &image::kGifDecoder);
}

}  // namespace
