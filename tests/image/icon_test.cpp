#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "runtime/text.h"
#include "tests/image/pictures.h"

namespace image {
namespace {

using testpictures::IconEntry;
using testpictures::MakeIconBitmap;
using testpictures::MakeIconFile;
using testpictures::PixelAt;

class Icons : public ::testing::Test {
 protected:
  void SetUp() override {
    InitImageLibrary();
    live_before_ = platform::LiveGraphicsObjects();
  }
  void TearDown() override {
    ReleaseAllImages();
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_);
  }
  ObjectNumber Load(const std::string& bytes) {
    return LoadImageMemory(AnyId, bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  static const platform::Bitmap* ColorOf(ObjectNumber number) {
    const ImageObject* record = FindImage(number);
    if (!record || platform::GraphicsKindOf(record->handle) != platform::GraphicsIcon) return nullptr;
    return static_cast<const platform::Icon*>(record->handle)->color;
  }
  int64_t live_before_ = 0;
};

// A square entry of one flat colour: `index` into a table of 16 greys at 1, 4 and 8 bits, the
// colour itself at 24 and 32 bits.
IconEntry Flat(uint8_t size, uint16_t bits, uint32_t color) {
  std::vector<uint32_t> palette;
  uint32_t value = color;
  if (bits <= 8) {
    palette.assign(bits == 1 ? 2 : 16, 0);
    palette[1] = color;
    value = 1;
  }
  if (bits == 32) value |= 0xFF000000;
  const std::vector<std::vector<uint32_t>> colors(size, std::vector<uint32_t>(size, value));
  const std::vector<std::vector<uint32_t>> mask(size, std::vector<uint32_t>(size, 0));
  return {size, size, bits, MakeIconBitmap(size, size, bits, palette, colors, mask)};
}

TEST_F(Icons, OutsideEncoderIconMatchesItsTwin) {
  const testpictures::Picture twin = testpictures::ReadPng(std::string(SB_IMAGE_FIXTURES) + "/icon-two-sizes.png");
  ASSERT_EQ(twin.width, 32);
  const ObjectNumber number =
      LoadImageFile(AnyId, runtime::TextFromUtf8(std::string(SB_IMAGE_FIXTURES) + "/icon-two-sizes.ico"));
  ASSERT_NE(number, 0);
  const ImageObject* record = FindImage(number);
  EXPECT_EQ(record->tag, kTagIcon);
  EXPECT_EQ(record->width, 32);
  EXPECT_EQ(record->height, 32);
  EXPECT_EQ(record->depth, 32);
  EXPECT_EQ(record->frame_count, 1);
  const platform::Bitmap* color = ColorOf(number);
  ASSERT_NE(color, nullptr);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(PixelAt(color, x, y), twin.At(x, y)) << x << "," << y;
}

TEST_F(Icons, TheDeepestEntryOfTheFirstEntrysSizeIsChosen) {
  // 16 x 16 at 4 bits, 32 x 32 at 32 bits, 16 x 16 at 8 bits: the third.
  std::string file = MakeIconFile({Flat(16, 4, 0x110000), Flat(32, 32, 0x220000), Flat(16, 8, 0x330000)});
  ObjectNumber number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 16);
  EXPECT_EQ(PixelAt(ColorOf(number), 5, 5), 0xFF330000u);

  // A tie keeps the earlier entry; an entry of the same width but another height is never chosen.
  file = MakeIconFile({Flat(8, 8, 0x440000), Flat(8, 24, 0x550000), Flat(8, 24, 0x660000)});
  number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 0, 0), 0xFF550000u);
  IconEntry odd = Flat(8, 32, 0x770000);
  odd.height = 9;
  file = MakeIconFile({Flat(8, 1, 0x880000), odd});
  number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 0, 0), 0xFF880000u);
}

TEST_F(Icons, EveryEntryDepthBuildsWithItsTransparencyMask) {
  for (uint16_t bits : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(bits);
    std::vector<uint32_t> palette;
    if (bits <= 8) palette = {0x000000, 0x0000FF, 0x00FF00};
    if (bits == 1) palette.resize(2);
    const uint32_t a = bits <= 8 ? 1 : 0x0000FF, b = bits <= 8 ? (bits == 1 ? 0 : 2) : 0x00FF00;
    // Top row a, b, a (a 3-pixel width pads every row); bottom row transparent where the mask says.
    const std::vector<std::vector<uint32_t>> colors = {{a, b, a}, {b, b, b}};
    const std::vector<std::vector<uint32_t>> mask = {{0, 0, 0}, {1, 0, 1}};
    const std::string file = MakeIconFile({{3, 2, bits, MakeIconBitmap(3, 2, bits, palette, colors, mask)}});
    const ObjectNumber number = Load(file);
    ASSERT_NE(number, 0);
    const platform::Bitmap* color = ColorOf(number);
    EXPECT_EQ(ImagePixelHeight(number), 2) << "the height counts the colour rows only";
    const uint32_t want_b = bits == 1 ? 0xFF000000 : 0xFF00FF00;
    EXPECT_EQ(PixelAt(color, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(color, 1, 0), want_b);
    EXPECT_EQ(PixelAt(color, 0, 1) >> 24, 0u);
    EXPECT_EQ(PixelAt(color, 1, 1), want_b);
  }
}

TEST_F(Icons, ThirtyTwoBitAlphaWinsOverTheMaskAndTheMaskMayBeMissing) {
  const std::vector<std::vector<uint32_t>> colors = {{0x80102030, 0x00405060}};
  std::string data = MakeIconBitmap(2, 1, 32, {}, colors, {{1, 1}});
  ObjectNumber number = Load(MakeIconFile({{2, 1, 32, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 0, 0), 0x80102030u);
  EXPECT_EQ(PixelAt(ColorOf(number), 1, 0), 0x00405060u);
  data.resize(40 + 8);  // no mask rows at all
  number = Load(MakeIconFile({{2, 1, 32, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 0, 0), 0x80102030u);
  // Without alpha and without a mask, the picture is opaque.
  data = MakeIconBitmap(2, 1, 32, {}, {{0x102030, 0x405060}}, {{0, 0}});
  data.resize(40 + 8);
  number = Load(MakeIconFile({{2, 1, 32, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 1, 0), 0xFF405060u);
}

TEST_F(Icons, DirectoriesAndDataOutsideTheFileAreNotIcons) {
  const IconEntry entry = Flat(4, 24, 0x123456);
  const std::string good = MakeIconFile({entry});
  ASSERT_NE(Load(good), 0);

  std::string bad = good;
  testpictures::PutU16(bad, 4, 0);  // no entries
  EXPECT_EQ(IconFromMemory(bad.data(), static_cast<int32_t>(bad.size())), nullptr);
  bad = good;
  testpictures::PutU16(bad, 4, 200);  // a directory longer than the file
  EXPECT_EQ(IconFromMemory(bad.data(), static_cast<int32_t>(bad.size())), nullptr);
  bad = good;
  testpictures::PutU32(bad, 6 + 12, 0xFFFFFFF0u);  // data offset past the end, wrapping in 32 bits
  EXPECT_EQ(IconFromMemory(bad.data(), static_cast<int32_t>(bad.size())), nullptr);
  bad = good;
  testpictures::PutU32(bad, 6 + 8, static_cast<uint32_t>(entry.data.size() + 1));  // one byte too many
  EXPECT_EQ(IconFromMemory(bad.data(), static_cast<int32_t>(bad.size())), nullptr);
  EXPECT_EQ(IconFromMemory(good.data(), 5), nullptr);
  EXPECT_EQ(IconFromMemory(good.data(), static_cast<int32_t>(good.size()) - 1), nullptr);

  // Entry data that claims more rows, a larger colour table or another layout than it holds.
  for (auto [at, value] : {std::pair{8, 0x7FFFFFFEu}, std::pair{4, 0x40000000u}, std::pair{0, 0xFFFFFFF0u},
                           std::pair{0, 12u}, std::pair{16, 1u}, std::pair{14, 16u}, std::pair{8, 1u}}) {
    bad = good;
    testpictures::PutU32(bad, 22 + static_cast<size_t>(at), value);
    if (at == 14) testpictures::PutU16(bad, 22 + 14, static_cast<uint16_t>(value));
    EXPECT_EQ(Load(bad), 0) << at;
  }
  // A colour index past the table of 2 used colours is black.
  std::string data = MakeIconBitmap(2, 1, 8, {0x0000FF, 0x00FF00}, {{1, 200}}, {{0, 0}});
  testpictures::PutU32(data, 32, 2);
  const ObjectNumber number = Load(MakeIconFile({{2, 1, 8, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(ColorOf(number), 0, 0), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(ColorOf(number), 1, 0), 0xFF000000u);
}

// Stands in for the PNG decoder: accepts the PNG signature and paints a 3 x 2 picture.
int FakePngCheck(DecoderState* s) {
  if (s->size < 8 || std::memcmp(s->data, "\x89PNG\r\n\x1a\n", 8) != 0) return 0;
  s->width = 3;
  s->height = 2;
  s->depth = 24;
  return 1;
}
int FakePngDecode(DecoderState*, uint8_t* rows, uint32_t pitch, uint32_t) {
  std::memset(rows, 0x7F, pitch * 2);
  return 1;
}
int g_png_releases = 0;
const ImageDecoder kFakePng = {FakePngCheck, FakePngDecode, [](DecoderState*, const ImageDecoder*) { ++g_png_releases; },
                               kTagPng, nullptr};

TEST_F(Icons, PngEntriesNeedARegisteredPngDecoder) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0');
  const std::string file = MakeIconFile({{3, 2, 32, png}});
  EXPECT_EQ(Load(file), 0) << "no PNG decoder";
  RegisterImageDecoder(&kFakePng);
  g_png_releases = 0;
  const ObjectNumber number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->tag, kTagIcon);
  EXPECT_EQ(ImagePixelWidth(number), 3);
  EXPECT_EQ(PixelAt(ColorOf(number), 2, 1), 0xFF7F7F7Fu) << "widened to 32 bits, opaque";
  EXPECT_EQ(g_png_releases, 1);
}

}  // namespace
}  // namespace image
