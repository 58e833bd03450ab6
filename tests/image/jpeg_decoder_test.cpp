#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "image/decoders.h"
#include "image/image.h"
#include "tests/image/encoders.h"

using testimg::Bytes;
using testimg::DecodeWith;
using testimg::EncodeJpeg;
using testimg::JpegSource;

namespace {

// 16 x 16 of one colour.
JpegSource Flat(std::vector<uint8_t> pixel) {
  JpegSource s{16, 16, int(pixel.size()), false, 100, {}};
  for (int i = 0; i < 16; ++i) s.samples.insert(s.samples.end(), pixel.begin(), pixel.end());
  return s;
}

JpegSource Noise(int width, int height, bool progressive) {
  JpegSource s{width, height, 3, progressive, 95, {}};
  uint32_t seed = 12345;
  for (int i = 0; i < width * height * 3; ++i) s.samples.push_back(uint8_t((seed = seed * 1103515245u + 12345u) >> 16));
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
    const testimg::Decoded d = DecodeWith(image::kJpegDecoder, EncodeJpeg(Flat(c.pixel)));
    ASSERT_EQ(d.frame_ok, std::vector<int>{1});
    EXPECT_EQ(d.depth, 24);
    EXPECT_EQ(d.source_depth, c.source_depth);
    EXPECT_TRUE(d.padding_intact);
    for (size_t i = 0; i < 16 * 16 * 3; ++i) ASSERT_NEAR(d.frames[0][i], c.want[i % 3], 4) << i;
  }
}

// A file cut inside its scan still decodes at its full size; the rows whose data arrived decode as in
// the whole file.
TEST(JpegDecoder, FileCutInsideItsScanLoadsAtFullSize) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const Bytes whole = EncodeJpeg(Noise(64, 64, progressive));
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

// The frame header (FF C0 baseline, FF C2 progressive) with another width and height.
Bytes Resized(bool progressive, unsigned width, unsigned height) {
  Bytes jpeg = EncodeJpeg(Noise(16, 16, progressive));
  size_t sof = 2;
  while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && (jpeg[sof + 1] == 0xC0 || jpeg[sof + 1] == 0xC2))) ++sof;
  jpeg.at(sof + 5) = uint8_t(height >> 8), jpeg[sof + 6] = uint8_t(height);
  jpeg[sof + 7] = uint8_t(width >> 8), jpeg[sof + 8] = uint8_t(width);
  return jpeg;
}

// A few hundred bytes may declare an image whose bitmap could never be made; the check refuses it
// from its header, before libjpeg sets up buffers (for a progressive file, all its coefficients).
// 32768 x 21845 at 24 bits is the largest such bitmap within the 2 GiB image budget. Only checked,
// never decoded: the accepted ones would fill a 2 GiB bitmap.
TEST(JpegDecoder, RefusesWhatIsNoImageAndHeadersWhoseBitmapPassesTheBudget) {
  const Bytes whole = EncodeJpeg(Flat({1, 2, 3}));
  Bytes other = whole;
  other[1] = 0xD9;
  const struct {
    const char* name;
    Bytes bytes;
    int32_t width = 0, height = 0;  // 0: refused
    uint64_t budget = image::kImageMaxBytes;
  } cases[] = {
      {"one byte", Bytes{0xFF}},
      {"cut in the header", Bytes(whole.begin(), whole.begin() + 20)},
      {"another marker first", other},
      {"largest within the budget", Resized(false, 32768, 21845), 32768, 21845},
      {"progressive, a row more", Resized(true, 32768, 21846)},
      {"progressive, lowered budget", Resized(true, 1000, 1000), 1000, 1000, 3000 * 1000},
      {"progressive, a row past the lowered budget", Resized(true, 1000, 1001), 0, 0, 3000 * 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    image::SetImageByteBudget(c.budget);
    image::DecoderState state{};
    state.data = c.bytes.data();
    state.size = int32_t(c.bytes.size());
    const int accepted = image::kJpegDecoder.check(&state);
    image::SetImageByteBudget(image::kImageMaxBytes);
    ASSERT_EQ(accepted != 0, c.width != 0);
    if (!accepted) continue;
    EXPECT_EQ(state.width, c.width);
    EXPECT_EQ(state.height, c.height);
    image::kJpegDecoder.release(&state, &image::kJpegDecoder);
  }
}

}  // namespace
