// The PNG, JPEG and GIF decoders behind the image loader: the choice by content and what a load
// keeps of each file.
#include <png.h>

#include <gtest/gtest.h>

#include "image/decoders.h"
#include "image/image.h"
#include "tests/image/encoders.h"

using testimg::Bytes;

namespace {

// Each format reaches its decoder by content, each decoder registered once however often offered.
TEST(DecoderLoading, EachFormatLoadsByContentWithItsFrames) {
  image::InitImageLibrary();
  for (int twice = 0; twice < 2; ++twice) {
    image::UsePngDecoder();
    image::UseJpegDecoder();
    image::UseGifDecoder();
  }
  EXPECT_EQ(image::RegisteredDecoderCount(), 4);
  testimg::GifSource gif{8, 4, 2, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {}};
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
      {"JPEG", testimg::EncodeJpeg({48, 40, 3, false, 95, std::vector<uint8_t>(48 * 3, 77)}), image::kTagJpeg, 48, 40,
       24, 1},
      {"animated GIF", testimg::EncodeGif(gif), image::kTagGif, 8, 4, 32, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const image::ObjectNumber n = image::LoadImageMemory(image::AnyId, c.bytes.data(), int32_t(c.bytes.size()));
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
  image::ReleaseAllImages();
}

}  // namespace
