#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "image/decoders.h"
#include "image/image.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodeJpeg;
using testimg::JpegSource;

namespace {

JpegSource Flat(int width, int height, std::vector<uint8_t> pixel, int stored_space = 0) {
  JpegSource s{width, height, int(pixel.size()), stored_space, false, 100, {}};
  for (int i = 0; i < width * height; ++i) s.samples.insert(s.samples.end(), pixel.begin(), pixel.end());
  return s;
}

JpegSource Noise(int width, int height, bool progressive = false) {
  JpegSource s{width, height, 3, 0, progressive, 95, {}};
  uint32_t seed = 12345;
  for (int i = 0; i < width * height * 3; ++i) s.samples.push_back(uint8_t((seed = seed * 1103515245u + 12345u) >> 16));
  return s;
}

// Every colour space comes out as 24-bit blue, green, red; Adobe CMYK is stored inverted, so each
// stored byte times the black byte is the channel's intensity.
TEST(JpegDecoder, EveryColourSpaceComesOutBlueGreenRed) {
  const struct {
    const char* name;
    JpegSource source;
    int source_depth;
    std::array<int, 3> want;  // blue, green, red
  } cases[] = {
      {"gray", Flat(16, 16, {90}), 24, {90, 90, 90}},
      {"colour", Flat(16, 16, {255, 128, 0}), 24, {0, 128, 255}},
      {"CMYK", Flat(16, 16, {200, 100, 50, 128}, JCS_CMYK), 32, {50 * 128 / 255, 100 * 128 / 255, 200 * 128 / 255}},
      {"YCCK", Flat(16, 16, {200, 100, 50, 128}, JCS_YCCK), 32, {50 * 128 / 255, 100 * 128 / 255, 200 * 128 / 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testimg::Decoded d = DecodeWith(image::kJpegDecoder, EncodeJpeg(c.source));
    ASSERT_TRUE(d.accepted);
    EXPECT_EQ(d.width, 16);
    EXPECT_EQ(d.depth, 24);
    EXPECT_EQ(d.source_depth, c.source_depth);
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_TRUE(d.padding_intact);
    for (size_t p = 0; p < 16 * 16; ++p)
      for (int channel = 0; channel < 3; ++channel) ASSERT_NEAR(d.frames[0][3 * p + channel], c.want[channel], 4) << p;
  }
}

TEST(JpegDecoder, FileCutInsideItsScanLoadsAtFullSize) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const Bytes whole = EncodeJpeg(Noise(64, 64, progressive));
    const testimg::Decoded full = DecodeWith(image::kJpegDecoder, whole);
    const Bytes cut(whole.begin(), whole.begin() + whole.size() * 6 / 10);
    const testimg::Decoded part = DecodeWith(image::kJpegDecoder, cut);
    ASSERT_TRUE(part.accepted);
    EXPECT_EQ(part.width, 64);
    EXPECT_EQ(part.height, 64);
    ASSERT_EQ(part.frame_ok, std::vector<int>{1});
    EXPECT_NE(part.frames[0], full.frames[0]);
    EXPECT_EQ(DecodeWith(image::kJpegDecoder, whole, /*top_down=*/true).frames, full.frames);
    // The rows whose data arrived decode exactly as in the whole file.
    if (progressive) continue;
    EXPECT_TRUE(std::equal(full.frames[0].begin(), full.frames[0].begin() + 16 * 64 * 3, part.frames[0].begin()));
  }
}

TEST(JpegDecoder, RejectsWhatIsNoImage) {
  const Bytes whole = EncodeJpeg(Flat(8, 8, {1, 2, 3}));
  Bytes other = whole;
  other[1] = 0xD9;
  for (const Bytes& bytes : {Bytes{0xFF, 0xD8}, Bytes{0xFF}, Bytes(whole.begin(), whole.begin() + 20), other})
    EXPECT_FALSE(DecodeWith(image::kJpegDecoder, bytes).accepted) << bytes.size();
}

// A few hundred bytes may declare an image whose bitmap could never be made; the check refuses it
// from its header, before libjpeg sets up buffers (for a progressive file, all its coefficients).
// 32768 x 21845 at 24 bits is the largest such bitmap that stays within the 2 GiB image budget.
TEST(JpegDecoder, HeaderWhoseBitmapWouldPassTheImageBudgetIsRefused) {
  const struct {
    bool progressive;
    unsigned width, height;
    bool accepted;
    uint64_t budget = image::kImageMaxBytes;  // lowered, as the fuzz targets do
  } cases[] = {
      {false, 32768, 21845, true},
      {false, 32768, 21846, false},
      {false, 65500, 65500, false},
      {true, 32768, 21846, false},
      {true, 60000, 60000, false},
      {true, 1000, 1000, true, 3000 * 1000},
      {true, 1000, 1001, false, 3000 * 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + (c.progressive ? " progressive" : ""));
    Bytes jpeg = EncodeJpeg(Noise(16, 16, c.progressive));
    // The frame header (FF C0 baseline, FF C2 progressive) keeps height and width after its length
    // and precision.
    size_t sof = 2;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && (jpeg[sof + 1] == 0xC0 || jpeg[sof + 1] == 0xC2))) ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = uint8_t(c.height >> 8), jpeg[sof + 6] = uint8_t(c.height);
    jpeg[sof + 7] = uint8_t(c.width >> 8), jpeg[sof + 8] = uint8_t(c.width);
    // Only checked, never decoded: the accepted one would fill a 2 GiB bitmap.
    image::SetImageByteBudget(c.budget);
    image::DecoderState state{};
    state.data = jpeg.data();
    state.size = int32_t(jpeg.size());
    const int accepted = image::kJpegDecoder.check(&state);
    image::SetImageByteBudget(image::kImageMaxBytes);
    ASSERT_EQ(accepted != 0, c.accepted);
    if (!accepted) continue;
    EXPECT_EQ(state.width, int32_t(c.width));
    EXPECT_EQ(state.height, int32_t(c.height));
    image::kJpegDecoder.release(&state, &image::kJpegDecoder);
  }
}

}  // namespace
