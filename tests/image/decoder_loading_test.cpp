// The PNG, JPEG and GIF decoders behind the image loader: registration, the choice by content and
// what a load keeps of damaged files.
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
    image::UsePngDecoder();
    image::UseJpegDecoder();
    image::UseGifDecoder();
  }
  void TearDown() override { image::ReleaseAllImages(); }

  static image::ObjectNumber Load(const Bytes& bytes) {
    return image::LoadImageMemory(image::AnyId, bytes.data(), int32_t(bytes.size()));
  }
};

testimg::GifSource Animation(int frames, int width = 8, int height = 4) {
  testimg::GifSource s{width, height, 2, true, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {}};
  for (int i = 0; i < frames; ++i)
    s.frames.push_back({i % width, 0, 1, height, std::vector<uint8_t>(height, uint8_t(1 + i % 3)), {}, true, 1, 5 + i});
  return s;
}

TEST_F(DecoderLoading, EachDecoderRegistersOnceAfterTheBmpDecoder) {
  image::UsePngDecoder();
  image::UseGifDecoder();
  EXPECT_EQ(image::RegisteredDecoderCount(), 4);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagPng), &image::kPngDecoder);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagJpeg), &image::kJpegDecoder);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagGif), &image::kGifDecoder);
}

// Each format reaches its decoder by content. A cut JPEG keeps its size (the missing rows come out
// grey); a GIF whose first frame stops short gets past it on giflib's second reading.
TEST_F(DecoderLoading, EachFormatLoadsByContentWithItsFrames) {
  testimg::PngSource png_source{3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, std::vector<uint16_t>(24, 0x8000)};
  const Bytes png = testimg::EncodePng(png_source);
  testimg::JpegSource jpeg_source{48, 40, 3, 0, false, 95, {}};
  for (int i = 0; i < 48 * 40 * 3; ++i) jpeg_source.samples.push_back(uint8_t(i * 131 % 251));
  const Bytes jpeg = testimg::EncodeJpeg(jpeg_source), gif = testimg::EncodeGif(Animation(12));
  testimg::GifSource short_first = Animation(3, 40, 30);
  short_first.frames[0] = {0, 0, 40, 30, std::vector<uint8_t>(40 * 30)};
  for (size_t i = 0; i < 40 * 30; ++i) short_first.frames[0].indices[i] = uint8_t(i * 7 / 5 % 4);
  const struct {
    const char* name;
    Bytes bytes;
    uint32_t tag;
    int64_t width, height;
    int depth, frames;
  } cases[] = {
      {"PNG", png, image::kTagPng, 3, 2, 32, 1},
      {"JPEG cut in half", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), image::kTagJpeg, 48, 40, 24, 1},
      {"animated GIF", gif, image::kTagGif, 8, 4, 32, 12},
      {"GIF whose first frame stops short", testimg::CutGifFrameShort(testimg::EncodeGif(short_first), 0),
       image::kTagGif, 40, 30, 32, 3},
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
      if (c.frames != 12) continue;
      EXPECT_EQ(record->frames[i].delay, uint32_t(50 + 10 * i)) << i;
    }
  }
}

// A progressive picture keeps all its coefficients while it decodes (1.2 GB here, beside its 1.2 GB
// bitmap); it loads at its size. One row repeated makes it quick to write: a dark left half and a
// light right half, split on a block edge.
TEST_F(DecoderLoading, LargeProgressiveJpegLoadsAtItsSize) {
  testimg::JpegSource s{20000, 20000, 3, 0, true, 50, std::vector<uint8_t>(20000 * 3, 40)};
  std::fill(s.samples.begin() + 10000 * 3, s.samples.end(), uint8_t{200});
  image::ObjectNumber n = Load(testimg::EncodeJpeg(s));
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::FindImage(n)->tag, image::kTagJpeg);
  EXPECT_EQ(image::ImagePixelWidth(n), 20000);
  EXPECT_EQ(image::ImagePixelHeight(n), 20000);
  auto* bitmap = static_cast<platform::Bitmap*>(image::FindImage(n)->handle);
  for (int y : {0, 12345, 19999}) {
    const uint8_t* row = platform::BitmapRow(bitmap, y);
    for (int x : {0, 9999, 10000, 19999})
      for (int c = 0; c < 3; ++c) ASSERT_NEAR(row[3 * x + c], x < 10000 ? 40 : 200, 2) << x << "," << y;
  }
}

}  // namespace
