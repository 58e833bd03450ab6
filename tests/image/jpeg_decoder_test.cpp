#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>


#include "image/decoders.h"
#include "image/image.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodeJpeg;
using testimg::JpegSource;

namespace {

JpegSource Flat(int width, int height, std::vector<uint8_t> pixel) {
  JpegSource s;
  s.width = width;
  s.height = height;
  s.components = int(pixel.size());
  s.quality = 100;
  for (int i = 0; i < width * height; ++i) s.samples.insert(s.samples.end(), pixel.begin(), pixel.end());
  return s;
}

JpegSource Noise(int width, int height, int components) {
  JpegSource s;
  s.width = width;
  s.height = height;
  s.components = components;
  uint32_t seed = 12345;
  for (int i = 0; i < width * height * components; ++i) {
    seed = seed * 1103515245u + 12345u;
    s.samples.push_back(uint8_t(seed >> 16));
  }
  return s;
}

TEST(JpegDecoder, GrayscaleLoadsAs24BitWithEqualChannels) {
  JpegSource s;
  s.width = 40;
  s.height = 24;
  s.components = 1;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) s.samples.push_back(uint8_t(x * 5 + y * 2));
  }
  testimg::Decoded d = DecodeWith(image::kJpegDecoder, EncodeJpeg(s));
  ASSERT_TRUE(d.accepted);
  EXPECT_EQ(d.width, 40);
  EXPECT_EQ(d.height, 24);
  EXPECT_EQ(d.depth, 24);
  EXPECT_EQ(d.source_depth, 24);
  ASSERT_EQ(d.frame_ok, std::vector<int>{1});
  EXPECT_TRUE(d.padding_intact);
  const Bytes& f = d.frames[0];
  for (size_t p = 0; p < s.samples.size(); ++p) {
    ASSERT_EQ(f[3 * p], f[3 * p + 1]) << p;
    ASSERT_EQ(f[3 * p], f[3 * p + 2]) << p;
    ASSERT_NEAR(f[3 * p], s.samples[p], 3) << p;
  }
}

TEST(JpegDecoder, ColourRowsComeOutBlueGreenRed) {
  // Left half orange, right half teal, in whole 16-pixel blocks so chroma stays clean.
  JpegSource s = Flat(32, 16, {255, 128, 0});
  for (int y = 0; y < 16; ++y) {
    for (int x = 16; x < 32; ++x) {
      uint8_t* p = &s.samples[size_t(y * 32 + x) * 3];
      p[0] = 0, p[1] = 128, p[2] = 160;
    }
  }
  testimg::Decoded d = DecodeWith(image::kJpegDecoder, EncodeJpeg(s));
  ASSERT_EQ(d.frame_ok, std::vector<int>{1});
  const uint8_t* left = &d.frames[0][(8 * 32 + 4) * 3];
  const uint8_t* right = &d.frames[0][(8 * 32 + 28) * 3];
  EXPECT_NEAR(left[0], 0, 4);
  EXPECT_NEAR(left[1], 128, 4);
  EXPECT_NEAR(left[2], 255, 4);
  EXPECT_NEAR(right[0], 160, 4);
  EXPECT_NEAR(right[1], 128, 4);
  EXPECT_NEAR(right[2], 0, 4);
}

TEST(JpegDecoder, AdobeCmykUsesTheStoredInvertedBytesTimesBlack) {
  // Stored bytes C=200, M=100, Y=50, K=128, as Adobe writers store them (inverted).
  for (int space : {int(JCS_CMYK), int(JCS_YCCK)}) {
    SCOPED_TRACE(space == JCS_CMYK ? "stored as CMYK" : "stored as YCCK");
    JpegSource s = Flat(16, 16, {200, 100, 50, 128});
    s.stored_space = space;
    testimg::Decoded d = DecodeWith(image::kJpegDecoder, EncodeJpeg(s));
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.depth, 24);
    EXPECT_EQ(d.source_depth, 32);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    const uint8_t* p = &d.frames[0][(8 * 16 + 8) * 3];
    EXPECT_NEAR(p[2], 200 * 128 / 255, 2);  // red from cyan
    EXPECT_NEAR(p[1], 100 * 128 / 255, 2);  // green from magenta
    EXPECT_NEAR(p[0], 50 * 128 / 255, 2);   // blue from yellow
  }
}

TEST(JpegDecoder, FileCutInsideItsScanLoadsAtFullSize) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    JpegSource s = Noise(64, 64, 3);
    s.progressive = progressive;
    Bytes whole = EncodeJpeg(s);
    Bytes cut(whole.begin(), whole.begin() + whole.size() * 6 / 10);
    testimg::Decoded full = DecodeWith(image::kJpegDecoder, whole);
    testimg::Decoded part = DecodeWith(image::kJpegDecoder, cut);
    ASSERT_TRUE(part.accepted);
    EXPECT_EQ(part.width, 64);
    EXPECT_EQ(part.height, 64);
    ASSERT_EQ(part.frame_ok, std::vector<int>{1});
    EXPECT_NE(part.frames[0], full.frames[0]);
    if (!progressive) {
      // The rows whose data arrived decode exactly as in the whole file.
      EXPECT_TRUE(std::equal(full.frames[0].begin(), full.frames[0].begin() + 16 * 64 * 3, part.frames[0].begin()));
    }
  }
}

TEST(JpegDecoder, RejectsWhatIsNoImage) {
  Bytes whole = EncodeJpeg(Flat(8, 8, {1, 2, 3}));
  EXPECT_FALSE(DecodeWith(image::kJpegDecoder, Bytes{0xFF, 0xD8}).accepted);
  EXPECT_FALSE(DecodeWith(image::kJpegDecoder, Bytes{0xFF}).accepted);
  EXPECT_FALSE(DecodeWith(image::kJpegDecoder, Bytes(whole.begin(), whole.begin() + 20)).accepted);
  Bytes other = whole;
  other[1] = 0xD9;
  EXPECT_FALSE(DecodeWith(image::kJpegDecoder, other).accepted);
}

// Where the frame header keeps its height and width: after FF C0 (baseline) or FF C2 (progressive),
// the length and the precision.
size_t FrameHeader(const Bytes& jpeg) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
  }
  return 0;
}

// A few hundred bytes may declare an image whose bitmap could never be made; the check refuses it
// from its header, before libjpeg sets up buffers (for a progressive file, all its coefficients).
// 32768 x 21845 at 24 bits is the largest such bitmap that stays within the 2 GiB image budget.
TEST(JpegDecoder, HeaderWhoseBitmapWouldPassTheImageBudgetIsRefused) {
  struct Case {
    bool progressive;
    unsigned width, height;
    bool accepted;
    uint64_t budget = image::kImageMaxBytes;  // lowered, as the fuzz targets do
  } cases[] = {
      {false, 32768, 21845, true}, {false, 32768, 21846, false}, {false, 65500, 65500, false},
      {true, 32768, 21846, false}, {true, 60000, 60000, false},
      {true, 1000, 1000, true, 3000 * 1000}, {true, 1000, 1001, false, 3000 * 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + (c.progressive ? " progressive" : ""));
    image::SetImageByteBudget(c.budget);
    JpegSource s = Noise(16, 16, 3);
    s.progressive = c.progressive;
    Bytes jpeg = EncodeJpeg(s);
    size_t sof = FrameHeader(jpeg);
    ASSERT_NE(sof, 0u);
    jpeg[sof + 5] = uint8_t(c.height >> 8), jpeg[sof + 6] = uint8_t(c.height);
    jpeg[sof + 7] = uint8_t(c.width >> 8), jpeg[sof + 8] = uint8_t(c.width);
    // Only checked, never decoded: the accepted one would fill a 2 GiB bitmap.
    image::DecoderState state{};
    state.data = jpeg.data();
    state.size = int32_t(jpeg.size());
    const int accepted = image::kJpegDecoder.check(&state);
    image::SetImageByteBudget(image::kImageMaxBytes);
    ASSERT_EQ(accepted != 0, c.accepted);
    if (!c.accepted) continue;
    EXPECT_EQ(state.width, int32_t(c.width));
    EXPECT_EQ(state.height, int32_t(c.height));
    image::kJpegDecoder.release(&state, &image::kJpegDecoder);
  }
}

}  // namespace
