// The PNG, JPEG and GIF decoders behind the image loader: the choice by content and what a load
// keeps of each file.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"
#include "tests/image/encoders.h"

using testimg::Bytes;

namespace {

class DecoderLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    image::InitImageLibrary();
    for (int twice = 0; twice < 2; ++twice) {
      image::UsePngDecoder();
      image::UseJpegDecoder();
      image::UseGifDecoder();
    }
  }
  void TearDown() override { image::ReleaseAllImages(); }

  static image::ObjectNumber Load(const Bytes& bytes) {
    return image::LoadImageMemory(image::AnyId, bytes.data(), int32_t(bytes.size()));
  }
};

// Each format reaches its decoder by content, each decoder registered once however often offered.
// A cut JPEG keeps its size (the missing rows come out grey).
TEST_F(DecoderLoading, EachFormatLoadsByContentWithItsFrames) {
  EXPECT_EQ(image::RegisteredDecoderCount(), 4);
  testimg::JpegSource jpeg_source{48, 40, 3, 0, false, 95, {}};
  for (int i = 0; i < 48 * 40 * 3; ++i) jpeg_source.samples.push_back(uint8_t(i * 131 % 251));
  const Bytes jpeg = testimg::EncodeJpeg(jpeg_source);
  testimg::GifSource gif{8, 4, 2, true, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {}};
  for (int i = 0; i < 12; ++i)
    gif.frames.push_back({i % 8, 0, 1, 4, std::vector<uint8_t>(4, uint8_t(1 + i % 3)), {}, true, 1, 5 + i});
  const struct {
    const char* name;
    Bytes bytes;
    uint32_t tag;
    int64_t width, height;
    int depth, frames;
  } cases[] = {
      {"PNG", testimg::EncodePng({3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, std::vector<uint16_t>(24, 0x8000)}),
       image::kTagPng, 3, 2, 32, 1},
      {"JPEG cut in half", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), image::kTagJpeg, 48, 40, 24, 1},
      {"animated GIF", testimg::EncodeGif(gif), image::kTagGif, 8, 4, 32, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const image::ObjectNumber n = Load(c.bytes);
    ASSERT_NE(n, 0);
    const image::ImageObject* record = image::FindImage(n);
    EXPECT_EQ(record->tag, c.tag);
    EXPECT_EQ(image::ImagePixelWidth(n), c.width);
    EXPECT_EQ(image::ImagePixelHeight(n), c.height);
    EXPECT_EQ(record->depth, c.depth);
    ASSERT_EQ(record->frame_count, c.frames);
    for (int i = 0; c.frames > 1 && i < c.frames; ++i) {
      EXPECT_NE(record->frames[i].bitmap, nullptr) << i;
      EXPECT_EQ(record->frames[i].delay, uint32_t(50 + 10 * i)) << i;
    }
  }
}

// A progressive picture keeps all its coefficients while it decodes (1.2 GB here, beside its 1.2 GB
// bitmap); it loads at its size. One row repeated, a dark left half and a light right half split on
// a block edge, makes it quick to write.
TEST_F(DecoderLoading, LargeProgressiveJpegLoadsAtItsSize) {
  testimg::JpegSource s{20000, 20000, 3, 0, true, 50, std::vector<uint8_t>(20000 * 3, 40)};
  std::fill(s.samples.begin() + 10000 * 3, s.samples.end(), uint8_t{200});
  const image::ObjectNumber n = Load(testimg::EncodeJpeg(s));
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::ImagePixelWidth(n), 20000);
  EXPECT_EQ(image::ImagePixelHeight(n), 20000);
  auto* bitmap = static_cast<platform::Bitmap*>(image::FindImage(n)->handle);
  for (int y : {0, 12345, 19999})
    for (int x : {0, 9999, 10000, 19999})
      for (int c = 0; c < 3; ++c) ASSERT_NEAR(platform::BitmapRow(bitmap, y)[3 * x + c], x < 10000 ? 40 : 200, 2);
}

}  // namespace
