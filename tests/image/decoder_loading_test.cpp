// The three decoders behind the image loader: registration, the choice by content, and frames.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"
#include "runtime/text.h"
#include "tests/image/encoders.h"
#include "tests/support/temp_dir.h"

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

Bytes SmallPng() {
  testimg::PngSource s;
  s.width = 3, s.height = 2, s.color_type = PNG_COLOR_TYPE_RGB_ALPHA, s.bit_depth = 16;
  for (int i = 0; i < 6; ++i) s.samples.insert(s.samples.end(), {uint16_t(0x1100 * i), 0x8000, 0xFFFF, 0x4000});
  return testimg::EncodePng(s);
}

testimg::GifSource Animation(int frames) {
  testimg::GifSource s;
  s.width = 8, s.height = 4;
  s.global_map = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (int i = 0; i < frames; ++i) {
    testimg::GifFrameSource f;
    f.left = i % 8, f.width = 1, f.height = 4;
    f.indices.assign(4, uint8_t(1 + i % 3));
    f.control = true, f.disposal = 1, f.delay = 5 + i;
    s.frames.push_back(f);
  }
  return s;
}

TEST_F(DecoderLoading, EachDecoderRegistersOncePerLibraryStart) {
  EXPECT_EQ(image::RegisteredDecoderCount(), 4);
  image::UsePngDecoder();
  image::UseGifDecoder();
  EXPECT_EQ(image::RegisteredDecoderCount(), 4);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagPng), &image::kPngDecoder);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagJpeg), &image::kJpegDecoder);
  EXPECT_EQ(image::FindRegisteredDecoder(image::kTagGif), &image::kGifDecoder);
}

TEST_F(DecoderLoading, PngLoadsAsA32BitBitmapWithItsPixels) {
  image::ObjectNumber n = Load(SmallPng());
  ASSERT_NE(n, 0);
  const image::ImageObject* record = image::FindImage(n);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->tag, image::kTagPng);
  EXPECT_EQ(record->depth, 32);
  EXPECT_EQ(record->source_depth, 32);
  EXPECT_EQ(image::ImagePixelWidth(n), 3);
  EXPECT_EQ(image::ImagePixelHeight(n), 2);
  auto* bitmap = static_cast<platform::Bitmap*>(record->handle);
  const uint8_t* top = platform::BitmapRow(bitmap, 0);
  const uint8_t* bottom = platform::BitmapRow(bitmap, 1);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(Bytes(top, top + 4), (Bytes{0xFF, 0x80, 0x00, 0x40}));
  EXPECT_EQ(Bytes(bottom + 8, bottom + 12), (Bytes{0xFF, 0x80, 0x55, 0x40}));
}

TEST_F(DecoderLoading, PngNamedGifIsStillDecodedAsPng) {
  testsupport::TempDir dir;
  Bytes png = SmallPng();
  std::string path = dir.Write("picture.gif", std::string(png.begin(), png.end()));
  image::ObjectNumber n = image::LoadImageFile(image::AnyId, runtime::TextFromUtf8(path));
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::FindImage(n)->tag, image::kTagPng);
  EXPECT_EQ(image::ImagePixelWidth(n), 3);
}

TEST_F(DecoderLoading, DamagedFilesFailToLoad) {
  Bytes png = SmallPng();
  EXPECT_EQ(Load(Bytes(png.begin(), png.begin() + 8)), 0);
  EXPECT_EQ(Load(Bytes(png.begin(), png.end() - 30)), 0);  // cut inside IDAT
  EXPECT_EQ(Load(Bytes{0xFF, 0xD8}), 0);
  Bytes gif = testimg::EncodeGif(Animation(2));
  EXPECT_EQ(Load(Bytes(gif.begin(), gif.end() - 1)), 0);  // no trailer
  testimg::GifSource outside = Animation(1);
  outside.frames[0].left = 0, outside.frames[0].top = 1;
  EXPECT_EQ(Load(testimg::EncodeGif(outside)), 0);
}

TEST_F(DecoderLoading, JpegCutInsideItsScanLoadsAtFullSize) {
  testimg::JpegSource s;
  s.width = 48, s.height = 40, s.components = 3;
  for (int i = 0; i < 48 * 40 * 3; ++i) s.samples.push_back(uint8_t(i * 131 % 251));
  Bytes jpeg = testimg::EncodeJpeg(s);
  image::ObjectNumber n = Load(Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::FindImage(n)->tag, image::kTagJpeg);
  EXPECT_EQ(image::FindImage(n)->depth, 24);
  EXPECT_EQ(image::ImagePixelWidth(n), 48);
  EXPECT_EQ(image::ImagePixelHeight(n), 40);
}

// giflib's second reading gets past a first frame whose data stops short; the image then loads at
// its screen size, the short frame showing the background it was not drawn over.
TEST_F(DecoderLoading, GifWhoseFirstFrameStopsShortLoadsAtItsScreenSize) {
  testimg::GifSource s = Animation(3);
  s.width = 40, s.height = 30, s.background = 2;
  s.frames[0].left = 0, s.frames[0].width = 40, s.frames[0].height = 30;
  s.frames[0].indices.resize(40 * 30);
  for (size_t i = 0; i < s.frames[0].indices.size(); ++i) s.frames[0].indices[i] = uint8_t(i * 7 / 5 % 4);
  image::ObjectNumber n = Load(testimg::CutGifFrameShort(testimg::EncodeGif(s), 0));
  ASSERT_NE(n, 0);
  const image::ImageObject* record = image::FindImage(n);
  EXPECT_EQ(record->tag, image::kTagGif);
  EXPECT_EQ(image::ImagePixelWidth(n), 40);
  EXPECT_EQ(image::ImagePixelHeight(n), 30);
  ASSERT_EQ(record->frame_count, 3);
  for (int i = 0; i < 3; ++i) ASSERT_NE(record->frames[i].bitmap, nullptr) << i;
  auto* first = static_cast<platform::Bitmap*>(record->handle);
  for (int y = 0; y < 30; ++y) {
    const uint8_t* row = platform::BitmapRow(first, y);
    for (int x = 0; x < 40; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + 4 * x, 4);
      ASSERT_EQ(pixel, 0xFF00FF00u) << x << "," << y;
    }
  }
}

// A small file of many one-pixel frames on a large screen: the frames that fit in the image's budget
// are made, the rest keep empty handles, and the image still loads. The budget is lowered here so
// that the test stays small; the program's is 2 GiB.
TEST_F(DecoderLoading, ManyFrameGifStopsMakingBitmapsAtTheImageBudget) {
  testimg::GifSource s = Animation(40);
  s.width = 400, s.height = 300;
  for (testimg::GifFrameSource& f : s.frames) f.height = 1, f.indices.resize(1);
  Bytes gif = testimg::EncodeGif(s);
  ASSERT_LT(gif.size(), 1000u);
  const uint64_t frame_bytes = 400 * 4 * 300;
  image::SetImageByteBudget(10 * frame_bytes + frame_bytes / 2);
  const int64_t live = platform::LiveGraphicsObjects();
  image::ObjectNumber n = Load(gif);
  image::SetImageByteBudget(image::kImageMaxBytes);
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::ImagePixelWidth(n), 400);
  EXPECT_EQ(image::ImagePixelHeight(n), 300);
  const image::ImageObject* record = image::FindImage(n);
  ASSERT_EQ(record->frame_count, 40);
  uint64_t held = 0;
  for (int i = 0; i < 40; ++i) {
    auto* bitmap = static_cast<platform::Bitmap*>(record->frames[i].bitmap);
    EXPECT_EQ(bitmap != nullptr, i < 10) << i;
    if (bitmap) held += uint64_t(bitmap->pitch) * uint64_t(bitmap->height);
  }
  // The loader frees no bitmap it made, so what the image holds is the most its bitmaps took.
  EXPECT_EQ(held, 10 * frame_bytes);
  EXPECT_EQ(platform::LiveGraphicsObjects(), live + 10);
}

// A progressive picture keeps all its coefficients while it decodes (1.2 GB here, beside its 1.2 GB
// bitmap); it loads at its size. One row repeated makes it quick to write: a dark left half and a
// light right half, split on a block edge.
TEST_F(DecoderLoading, LargeProgressiveJpegLoadsAtItsSize) {
  testimg::JpegSource s;
  s.width = 20000, s.height = 20000, s.components = 3, s.progressive = true, s.quality = 50;
  s.samples.assign(20000 * 3, 40);
  std::fill(s.samples.begin() + 10000 * 3, s.samples.end(), uint8_t{200});
  image::ObjectNumber n = Load(testimg::EncodeJpeg(s));
  ASSERT_NE(n, 0);
  EXPECT_EQ(image::FindImage(n)->tag, image::kTagJpeg);
  EXPECT_EQ(image::ImagePixelWidth(n), 20000);
  EXPECT_EQ(image::ImagePixelHeight(n), 20000);
  auto* bitmap = static_cast<platform::Bitmap*>(image::FindImage(n)->handle);
  for (int y : {0, 12345, 19999}) {
    const uint8_t* row = platform::BitmapRow(bitmap, y);
    for (int x : {0, 9999, 10000, 19999}) {
      for (int c = 0; c < 3; ++c) ASSERT_NEAR(row[3 * x + c], x < 10000 ? 40 : 200, 2) << x << "," << y;
    }
  }
}

TEST_F(DecoderLoading, AnimatedGifMakesOneBitmapPerFrame) {
  image::ObjectNumber n = Load(testimg::EncodeGif(Animation(12)));
  ASSERT_NE(n, 0);
  const image::ImageObject* record = image::FindImage(n);
  EXPECT_EQ(record->tag, image::kTagGif);
  EXPECT_EQ(record->frame_count, 12);
  EXPECT_EQ(record->delay, 50);
  ASSERT_NE(record->frames, nullptr);
  for (int i = 0; i < 12; ++i) {
    auto* bitmap = static_cast<platform::Bitmap*>(record->frames[i].bitmap);
    ASSERT_NE(bitmap, nullptr) << i;
    EXPECT_EQ(record->frames[i].delay, uint32_t(50 + 10 * i));
    // Each frame adds one column; frame i shows its own column and keeps the earlier ones.
    uint32_t own, first;
    std::memcpy(&own, platform::BitmapRow(bitmap, 3) + 4 * (i % 8), 4);
    std::memcpy(&first, platform::BitmapRow(bitmap, 0), 4);
    EXPECT_EQ(own, 0xFF000000u | (i % 3 == 0 ? 0xFF0000u : i % 3 == 1 ? 0x00FF00u : 0x0000FFu)) << i;
    EXPECT_EQ(first, i < 8 ? 0xFFFF0000u : 0xFF0000FFu) << i;
  }
}

}  // namespace
