// Bitmap and icon files through the loader.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

using namespace testpictures;
using BmpDecoder = LoaderTest;
using IconFiles = LoaderTest;

// Files of an outside encoder against that encoder's own decoding of them (their PNG twins, read
// through libpng by the PNG decoder). The 1-bit file decodes as the twin's negative (the table is
// ignored and the encoder puts white at 0); 16-bit channels widen by shifting, so may be 7 apart.
TEST_F(BmpDecoder, OutsideEncoderFilesMatchTheirPngTwins) {
  const struct {
    const char* name;
    uint32_t tag;
    int source_depth, depth, tolerance;
    uint32_t invert = 0;
  } cases[] = {
      {"depth1.bmp", kTagBmp, 1, 24, 0, 0xFFFFFF}, {"depth4.bmp", kTagBmp, 4, 24, 0},
      {"depth8.bmp", kTagBmp, 8, 24, 0},           {"rle8.bmp", kTagBmp, 8, 24, 0},
      {"rle8-runs.bmp", kTagBmp, 8, 24, 0},        {"depth16-565.bmp", kTagBmp, 16, 24, 7},
      {"depth24.bmp", kTagBmp, 24, 24, 0},         {"depth32-alpha.bmp", kTagBmp, 32, 32, 0},
      {"icon-two-sizes.ico", kTagIcon, 32, 32, 0},
  };
  UsePngDecoder();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    const ObjectNumber twin = LoadImageFile(AnyId, FixturePath(name.substr(0, name.size() - 3) + "png"));
    const ObjectNumber number = LoadImageFile(AnyId, FixturePath(name));
    ASSERT_NE(number, 0);
    const ImageObject* record = FindImage(number);
    EXPECT_EQ(record->tag, c.tag);
    ASSERT_EQ(record->width, ImagePixelWidth(twin));
    ASSERT_EQ(record->height, ImagePixelHeight(twin));
    EXPECT_EQ(record->source_depth, c.source_depth);
    EXPECT_EQ(record->depth, c.depth);
    const uint32_t channels = c.depth == 32 ? 0xFFFFFFFF : 0xFFFFFF;
    for (int y = 0; y < record->height; ++y)
      for (int x = 0; x < record->width; ++x)
        for (int shift = 0; shift < 32; shift += 8) {
          const int got = (PixelAt(number, x, y) >> shift) & 0xFF;
          const int want = (((PixelAt(twin, x, y) ^ c.invert) & channels) >> shift) & 0xFF;
          ASSERT_LE(std::abs(got - want), c.tolerance) << x << "," << y << " channel " << shift / 8;
        }
  }
}

std::string Rle8(std::initializer_list<uint8_t> stream) {
  return MakeBmp({4, 1, 8, 1, {0x000000, 0xFFFFFF}, std::string(stream.begin(), stream.end())});
}

// Row orders and pixel formats the outside encoder does not write, and every header field that sizes or places
// something pointed outside the data or past the budget: the check accepts or rejects, with the depth the bitmap will
// have, and the load fails or draws only what lies in the data.
TEST_F(BmpDecoder, FilesDecodeToTheirPixelsOrFailInsideTheData) {
  constexpr uint32_t W = 0xFFFFFF;
  const std::string good = MakeBmp({4, 1, 8, 0, {0x102030, 0x405060}, std::string("\x00\x01\x02\xFF", 4)});
  const std::string rle8 = MakeBmp({4, 1, 8, 1, {0x102030}, std::string("\x04\x00\x00\x01", 4)});
  const std::string rows_short = MakeBmp({10, 5, 24, 0, {}, std::string(32 * 4, '\x7F')});
  const std::string alpha_last = PackRows({{0x00102030, 0x01405060}}, 32);
  const std::string with_alpha = MakeBmp({2, 1, 32, 0, {}, alpha_last});
  const std::string bits555 =
      MakeBmp({3, 1, 16, 0, {}, PackRows({{0x8000 | 31 << 10 | 1 << 5 | 2, 31 << 5, 16 << 10 | 16 << 5 | 16}}, 16)});
  const Rows rows = {{0x102030, 0x405060, 0x708090}, {0xA0B0C0, 0xD0E0F0, 0x010203}};
  // Runs, a literal with its pad byte, a run clipped at the width, a delta up to the top row.
  const std::string rle8_stream("\x03\x01\x00\x03\x02\x03\x04\x00\x02\x01\x00\x00\x00\x02\x02\x01\x01\x03\x00\x01", 20);
  const std::string rle8_picture = MakeBmp({6, 3, 8, 1, {0, 0xFF0000, 0x00FF00, 0x0000FF, W}, rle8_stream});
  enum Outcome { kRejected, kFails, kLoads };
  const struct {
    const char* name;
    Outcome outcome;
    Rows rows;  // the loaded rows, top first, where they matter
    std::string bytes;
    int depth = 24;
  } cases[] = {
      {"top-down rows", kLoads, rows, MakeBmp({3, -2, 24, 0, {}, PackRows({rows[1], rows[0]}, 24)})},
      {"16 bits 5-5-5, top bit unused", kLoads, {{0xF80810, 0x00F800, 0x808080}}, bits555},
      {"RLE4", kLoads, {{0, 0, 0, 0, 0, 0, 0}}, MakeBmp({7, 1, 4, 2, {W, W}, std::string(8, '\x11')})},
      {"32 bits without alpha", kLoads, {{0x102030, 0x405060}}, Patched(with_alpha, 54 + 7, 0, 1)},
      // One alpha byte, in the last pixel, is enough; the colours are not premultiplied.
      {"32 bits with alpha", kLoads, {{0x00102030, 0x01405060}}, with_alpha, 32},
      // Rows that do not all lie in the data are not scanned.
      {"32 bits, a byte short", kFails, {}, MakeBmp({2, 1, 32, 0, {}, alpha_last.substr(0, 7)})},
      // Entry 2 lies on the pixel bytes themselves (0, 1, 2); entry 255 lies past the data: black.
      {"good", kLoads, {{0x102030, 0x405060, 0x020100, 0}}, good},
      {"53 bytes", kRejected, {}, good.substr(0, 53)},
      {"signature BA", kRejected, {}, Patched(good, 1, 'A', 1)},
      {"reserved word set", kRejected, {}, Patched(good, 8, 1, 2)},
      {"height without a positive counterpart", kRejected, {}, Patched(good, 22, 0x80000000u)},
      {"one row short", kFails, {}, rows_short},
      {"last row without its padding", kLoads, {}, rows_short + std::string(30, '\x7F')},
      {"pixel offset -1", kFails, {}, Patched(good, 10, 0xFFFFFFFFu)},
      {"pixel offset INT32_MAX", kFails, {}, Patched(good, 10, 0x7FFFFFFFu)},
      {"RLE8 picture",
       kLoads,
       {{0, 0, 0xFF, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF00, 0xFF, W}},
       rle8_picture},
      {"RLE8 rows past the height, read and not written", kLoads, {}, Rle8({0, 2, 0, 9, 2, 1, 0, 1})},
      {"RLE8 pixel offset -1", kFails, {}, Patched(rle8, 10, 0xFFFFFFFFu)},
      {"RLE8 rows without an end of bitmap", kFails, {}, Rle8({4, 1, 0, 0})},
      {"RLE8 literal past the end", kFails, {}, Rle8({0, 5, 1, 1})},
      {"RLE8 delta past the end", kFails, {}, Rle8({0, 2, 1})},
      {"colour table past the data", kLoads, {{0, 0, 0, 0}}, Patched(good, 14, 0xFFFFFFF0u)},
      {"30 GB of pixels", kFails, {}, MakeBmp({100000, -100000, 24, 0, {}, std::string(16, '\0')})},
      {"widest 32-bit row", kFails, {}, MakeBmp({INT32_MAX, 1, 32, 0, {}, std::string(16, '\0')})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(OpenDecoder(c.bytes.data(), int32_t(c.bytes.size())), c.outcome == kRejected ? 0u : kTagBmp);
    EXPECT_EQ(CurrentDecoderState()->depth, c.outcome == kRejected ? 0 : c.depth);
    CloseDecoder();
    const ObjectNumber number = Load(c.bytes);
    ASSERT_EQ(number != 0, c.outcome == kLoads);
    if (c.rows.empty()) continue;
    ASSERT_EQ(ImagePixelWidth(number), int64_t(c.rows[0].size()));
    ASSERT_EQ(ImagePixelHeight(number), int64_t(c.rows.size()));
    for (size_t y = 0; y < c.rows.size(); ++y)
      for (size_t x = 0; x < c.rows[y].size(); ++x) EXPECT_EQ(PixelAt(number, int(x), int(y)), c.rows[y][x]) << x;
  }
}

// A square entry of one colour: index 1 of a table at 1, 4 and 8 bits, the colour itself above.
IconEntry Flat(uint8_t size, uint16_t bits, uint32_t color) {
  std::vector<uint32_t> palette(bits > 8 ? 0 : bits == 1 ? 2 : 16, 0);
  if (!palette.empty()) palette[1] = color;
  const uint32_t value = bits <= 8 ? 1 : bits == 32 ? color | 0xFF000000 : color;
  return {size, size, bits, MakeIconBitmap(size, size, bits, palette, Rows(size, std::vector<uint32_t>(size, value)))};
}

// Among the entries of the first entry's width and height the deepest wins; a tie keeps the earlier.
// Each entry's height field counts its colour and transparency rows both.
TEST_F(IconFiles, TheDeepestEntryOfTheFirstEntrysSizeIsChosen) {
  IconEntry taller = Flat(8, 32, 0x770000);
  taller.height = 9;
  const struct {
    std::vector<IconEntry> entries;
    int64_t width;
    uint32_t color;
  } cases[] = {
      {{Flat(16, 4, 0x110000), Flat(32, 32, 0x220000), Flat(16, 8, 0x330000)}, 16, 0xFF330000},
      {{Flat(8, 8, 0x440000), Flat(8, 24, 0x550000), Flat(8, 24, 0x660000)}, 8, 0xFF550000},
      {{Flat(8, 1, 0x880000), taller}, 8, 0xFF880000},
  };
  for (const auto& c : cases) {
    const ObjectNumber number = Load(MakeIconFile(c.entries));
    ASSERT_NE(number, 0);
    EXPECT_EQ(ImagePixelWidth(number), c.width);
    EXPECT_EQ(ImagePixelHeight(number), c.width);
    EXPECT_EQ(PixelAt(number, 5, 5), c.color);
  }
}

// Cursor files, directory fields and entry headers that reach past the file, or claim more than the
// entry holds, make no icon.
TEST_F(IconFiles, DirectoriesAndDataOutsideTheFileAreNotIcons) {
  const IconEntry entry = Flat(4, 24, 0x123456);
  const std::string good = MakeIconFile({entry});
  ASSERT_NE(Load(good), 0);
  for (const std::string& bad :
       {Patched(good, 2, 2, 2), Patched(good, 4, 0, 2), Patched(good, 4, 200, 2), Patched(good, 6 + 12, 0xFFFFFFF0u),
        Patched(good, 6 + 8, uint32_t(entry.data.size() + 1)), good.substr(0, 5), good.substr(0, good.size() - 1)})
    EXPECT_EQ(IconFromMemory(bad.data(), int32_t(bad.size())), nullptr) << bad.size();
  // Entry headers: rows, width, header size (huge, too small), a 1-row height.
  for (const auto& [at, value] : std::vector<std::pair<size_t, uint32_t>>{
           {22 + 8, 0x7FFFFFFE}, {22 + 4, 0x40000000}, {22, 0xFFFFFFF0u}, {22, 12}, {22 + 8, 1}})
    EXPECT_EQ(Load(Patched(good, at, value)), 0) << at;
  // A colour index past the table of 2 used colours is black.
  const std::string data = MakeIconBitmap(2, 1, 8, {0x0000FF, 0x00FF00}, {{1, 200}});
  const ObjectNumber number = Load(MakeIconFile({{2, 1, 8, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(number, 0, 0), 0xFF00FF00);
  EXPECT_EQ(PixelAt(number, 1, 0), 0xFF000000);
}

// The entry's own data gives its size. The directory's size is the PNG signature's first bytes: read
// one entry past its count, that signature would pass for a deeper entry pointing past the file.
TEST_F(IconFiles, PngEntriesNeedARegisteredPngDecoder) {
  const std::string png = testsupport::ReadFileBytes(Fixture("depth24.png"));
  const std::string file = MakeIconFile({{0x89, 'P', 32, png}});
  EXPECT_EQ(Load(file), 0) << "no PNG decoder";
  UsePngDecoder();
  const ObjectNumber number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->tag, kTagIcon);
  EXPECT_EQ(ImagePixelWidth(number), 13);
  EXPECT_EQ(PixelAt(number, 12, 6), PixelAt(Load(png), 12, 6));
}

}  // namespace
}  // namespace image
