#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "tests/image/pictures.h"

namespace image {
namespace {

using namespace testpictures;

class BmpDecoder : public ::testing::Test {
 protected:
  void SetUp() override {
    InitImageLibrary();
    live_before_ = platform::LiveGraphicsObjects();
  }
  void TearDown() override {
    ReleaseAllImages();
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_) << "failed loads delete their bitmaps";
  }
  static void ExpectRow(ObjectNumber number, int y, const std::vector<uint32_t>& want) {
    for (size_t x = 0; x < want.size(); ++x) EXPECT_EQ(PixelAt(number, int(x), y), want[x]) << x << "," << y;
  }
  int64_t live_before_ = 0;
};

// Files of an outside encoder against that encoder's own decoding of them (their PNG twins). The
// 1-bit file decodes as the twin's negative (the table is ignored and the encoder puts white at 0);
// 16-bit channels widen by shifting, not scaling, so they may be 7 apart.
TEST_F(BmpDecoder, OutsideEncoderFilesMatchTheirPngTwins) {
  const struct {
    const char* name;
    int source_depth, depth, tolerance;
    uint32_t invert = 0;
  } cases[] = {
      {"depth1", 1, 24, 0, 0xFFFFFF}, {"depth4", 4, 24, 0},       {"depth8", 8, 24, 0},   {"rle8", 8, 24, 0},
      {"rle8-runs", 8, 24, 0},        {"depth16-565", 16, 24, 7}, {"depth24", 24, 24, 0}, {"depth32-alpha", 32, 32, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Picture twin = ReadPng(std::string(c.name) + ".png");
    const ObjectNumber number = LoadImageFile(AnyId, FixturePath(std::string(c.name) + ".bmp"));
    ASSERT_NE(number, 0);
    const ImageObject* record = FindImage(number);
    EXPECT_EQ(record->tag, kTagBmp);
    ASSERT_EQ(record->width, twin.width);
    ASSERT_EQ(record->height, twin.height);
    EXPECT_EQ(record->source_depth, c.source_depth);
    EXPECT_EQ(record->depth, c.depth);
    EXPECT_EQ(record->frame_count, 1);
    ASSERT_EQ(BitmapOf(number)->bits_per_pixel, c.depth);
    EXPECT_TRUE(PaddingIsZero(BitmapOf(number)));
    const uint32_t channels = c.depth == 32 ? 0xFFFFFFFF : 0xFFFFFF;
    for (int y = 0; y < twin.height; ++y)
      for (int x = 0; x < twin.width; ++x)
        for (int shift = 0; shift < 32; shift += 8) {
          const int got = (PixelAt(number, x, y) >> shift) & 0xFF;
          const int want = (((twin.At(x, y) ^ c.invert) & channels) >> shift) & 0xFF;
          ASSERT_LE(std::abs(got - want), c.tolerance) << x << "," << y << " channel " << shift / 8;
        }
  }
}

// Pixel formats the outside encoder does not write, one row each, with set bits or nibbles past the
// width that must not be drawn.
TEST_F(BmpDecoder, PixelFormatsDecodeToTheirColoursOrBlack) {
  const std::vector<uint32_t> whites(16, 0xFFFFFF);
  const struct {
    const char* name;
    uint16_t bits;
    uint32_t compression;
    std::vector<uint32_t> palette;
    std::string pixels;
    std::vector<uint32_t> want;
  } cases[] = {
      {"1 bit ignores the table",
       1,
       0,
       {0xFF0000, 0x0000FF},
       PackRows({{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1}}, 1),
       {0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF}},
      {"4 bits, odd width",
       4,
       0,
       {0x000000, 0x112233, 0x445566, 0xFFFFFF},
       PackRows({{1, 2, 0, 3, 2, 3}}, 4),
       {0x112233, 0x445566, 0x000000, 0xFFFFFF, 0x445566}},
      {"16 bits 5-5-5, top bit unused",
       16,
       0,
       {},
       PackRows({{0x8000 | 31 << 10 | 1 << 5 | 2, 31 << 5, 16 << 10 | 16 << 5 | 16}}, 16),
       {0xF80810, 0x00F800, 0x808080}},
      {"16-bit fields are 5-6-5 whatever the masks",
       16,
       3,
       {0x7C00, 0x03E0, 0x001F},
       PackRows({{31u << 11 | 63 << 5, 1 << 5 | 31, 0xFFFF}}, 16),
       {0xF8FC00, 0x0004F8, 0xF8FCF8}},
      {"16 bits, other compression", 16, 4, {}, std::string(8, '\x7F'), {0, 0, 0}},
      {"RLE4", 4, 2, whites, std::string(8, '\x11'), {0, 0, 0, 0, 0, 0, 0}},
      {"2 bits", 2, 0, whites, std::string(8, '\x11'), {0, 0, 0, 0, 0, 0, 0}},
      {"0 bits", 0, 0, whites, std::string(8, '\x11'), {0, 0, 0, 0, 0, 0, 0}},
      {"64 bits", 64, 0, whites, std::string(64, '\x11'), {0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ObjectNumber number = Load(MakeBmp({int32_t(c.want.size()), 1, c.bits, c.compression, c.palette, c.pixels}));
    ASSERT_NE(number, 0);
    EXPECT_EQ(ImagePixelWidth(number), int64_t(c.want.size()));
    EXPECT_EQ(FindImage(number)->source_depth, uint8_t(c.bits));
    ExpectRow(number, 0, c.want);
    EXPECT_TRUE(PaddingIsZero(BitmapOf(number)));
  }
}

TEST_F(BmpDecoder, ThirtyTwoBitsAreThirtyTwoOnlyWhenSomeAlphaIsSet) {
  Rows rows = {{0x00102030, 0x00405060}, {0x00708090, 0x00A0B0C0}};
  BmpFile f{2, 2, 32, 0, {}, PackRows(rows, 32)};
  ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->depth, 24);
  EXPECT_EQ(BitmapOf(number)->bits_per_pixel, 24);
  EXPECT_EQ(PixelAt(number, 1, 1), 0xA0B0C0u);
  // One alpha byte in the last pixel read is enough; the others stay 0, not premultiplied.
  rows[1][1] |= 0x01000000;
  f.pixels = PackRows(rows, 32);
  number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->depth, 32);
  ExpectRow(number, 0, {0x00102030, 0x00405060});
  ExpectRow(number, 1, {0x00708090, 0x01A0B0C0});
  // Rows that do not all lie in the data are not scanned: 24 bits, and the load then fails.
  f.pixels.pop_back();
  const std::string short_rows = MakeBmp(f);
  EXPECT_EQ(OpenDecoder(short_rows.data(), int32_t(short_rows.size())), kTagBmp);
  EXPECT_EQ(CurrentDecoderState()->depth, 24);
  CloseDecoder();
  EXPECT_EQ(Load(short_rows), 0);
}

// A negative height stores the top row first; the image reports the positive height, and decoded
// rows follow the destination's order whichever way the file stores them.
TEST_F(BmpDecoder, RowOrderFollowsTheFileAndTheDestination) {
  Rows rows(4, std::vector<uint32_t>(3));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) rows[y][x] = uint32_t(y * 40 << 16 | x * 30 << 8 | (x + y) * 10);
  for (bool top_down : {false, true}) {
    SCOPED_TRACE(top_down ? "top-down file" : "bottom-up file");
    const std::string bytes = MakeBmp({3, top_down ? -4 : 4, 24, 0, {}, PackRows(rows, 24, top_down)});
    const ObjectNumber number = Load(bytes);
    ASSERT_NE(number, 0);
    EXPECT_EQ(ImagePixelHeight(number), 4);
    for (int y = 0; y < 4; ++y) ExpectRow(number, y, rows[y]);
    ASSERT_EQ(OpenDecoder(bytes.data(), int32_t(bytes.size())), kTagBmp);
    for (uint32_t flags : {0u, DecodeBottomUp}) {
      std::vector<uint8_t> out(12 * 4, 0xEE);
      ASSERT_EQ(DecodeFrame(out.data(), 12, flags), 1);
      for (int y = 0; y < 4; ++y) {
        const uint8_t* p = out.data() + (flags ? 3 - y : y) * 12;
        EXPECT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16), rows[y][0]) << y << " flags " << flags;
        EXPECT_EQ(p[9], 0xEE) << "only width pixels are written";
      }
    }
    CloseDecoder();
  }
}

std::string Patched(std::string bytes, size_t at, uint32_t value, int width = 4) {
  PutU32(bytes, at, value, width);
  return bytes;
}

// Every header field that sizes or places something, pointed outside the data or past the budget:
// the check accepts or rejects, and the load fails or draws only what lies in the data.
TEST_F(BmpDecoder, HostileAndTruncatedHeadersStayInsideTheData) {
  const BmpFile indexed{4, 1, 8, 0, {0x102030, 0x405060}, std::string("\x00\x01\x02\xFF", 4)};
  const std::string good = MakeBmp(indexed);
  BmpFile rle = indexed;
  rle.compression = 1;
  const BmpFile header_only{10, 5, 24, 0, {}, ""};
  BmpFile rows = header_only;
  rows.pixels = std::string(32 * 4, '\x7F');  // one row short
  const struct {
    const char* name;
    std::string bytes;
    bool accepted, loads;
    std::vector<uint32_t> row = {};  // the loaded top row, where it matters
  } cases[] = {
      // Entry 2 lies on the pixel bytes themselves (0, 1, 2); entry 255 lies past the data: black.
      {"good", good, true, true, {0x102030, 0x405060, 0x020100, 0}},
      {"53 bytes", good.substr(0, 53), false, false},
      {"signature BA", Patched(good, 1, 'A', 1), false, false},
      {"reserved word set", Patched(good, 8, 1, 2), false, false},
      {"other reserved word set", Patched(good, 6, 0x100, 2), false, false},
      {"height without a positive counterpart", Patched(good, 22, 0x80000000u), false, false},
      {"header only", MakeBmp(header_only), true, false},
      {"one row short", MakeBmp(rows), true, false},
      {"last row without its padding", MakeBmp(rows) + std::string(30, '\x7F'), true, true},
      {"pixel offset -1", Patched(good, 10, 0xFFFFFFFFu), true, false},
      {"pixel offset INT32_MIN", Patched(good, 10, 0x80000000u), true, false},
      {"pixel offset INT32_MAX", Patched(good, 10, 0x7FFFFFFFu), true, false},
      {"RLE8 pixel offset -1", Patched(MakeBmp(rle), 10, 0xFFFFFFFFu), true, false},
      {"RLE8 pixel offset INT32_MIN", Patched(MakeBmp(rle), 10, 0x80000000u), true, false},
      {"RLE8 pixel offset INT32_MAX", Patched(MakeBmp(rle), 10, 0x7FFFFFFFu), true, false},
      // The header's bytes B, M, 66, 0 as indices: three past the data's end, then entry 0.
      {"pixel offset inside the header", Patched(good, 10, 0), true, true, {0, 0, 0, 0x102030}},
      {"colour table past the data", Patched(good, 14, 0xFFFFFFF0u), true, true, {0, 0, 0, 0}},
      {"30 GB of pixels", MakeBmp({100000, -100000, 24, 0, {}, std::string(16, '\0')}), true, false},
      {"5 GB of RLE4", MakeBmp({100000, -100000, 4, 2, {}, std::string(16, '\0')}), true, false},
      {"widest 32-bit row", MakeBmp({INT32_MAX, 1, 32, 0, {}, std::string(16, '\0')}), true, false},
      {"negative width", MakeBmp({-5, 1, 32, 0, {}, std::string(16, '\0')}), true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(OpenDecoder(c.bytes.data(), int32_t(c.bytes.size())), c.accepted ? kTagBmp : 0u);
    CloseDecoder();
    const ObjectNumber number = Load(c.bytes);
    ASSERT_EQ(number != 0, c.loads);
    if (!c.row.empty()) ExpectRow(number, 0, c.row);
  }
}

TEST_F(BmpDecoder, Rle8RunsLiteralsDeltasAndClipping) {
  BmpFile f{6, 3, 8, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, ""};
  const auto stream = [](std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); };
  f.pixels = stream({
      3, 1,              // three red on the bottom row
      0, 3, 2, 3, 4, 0,  // literal green, blue, white, then a pad byte (odd count)
      2, 1,              // two red, the second past the width: clipped
      0, 0,              // end of row
      0, 2, 2, 1,        // delta: two right, one up, to the top row
      1, 3,              // one blue at (2, top)
      0, 1,              // end of bitmap
      9, 9,              // never read
  });
  ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  ExpectRow(number, 2, {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  ExpectRow(number, 1, {0, 0, 0, 0, 0, 0});
  ExpectRow(number, 0, {0, 0, 0x0000FF, 0, 0, 0});
  EXPECT_TRUE(PaddingIsZero(BitmapOf(number)));
  // Rows past the height are read and not written.
  f.pixels = stream({0, 2, 0, 9, 2, 4, 0, 1});
  EXPECT_NE(Load(MakeBmp(f)), 0);
  // Streams without their end of bitmap: rows that end, half a code, a literal or delta past the end.
  f.height = 1;
  for (const std::string& s : {stream({4, 1, 0, 0}), stream({4, 1, 0}), stream({0, 5, 1, 1}), stream({0, 2, 1})}) {
    f.pixels = s;
    EXPECT_EQ(Load(MakeBmp(f)), 0) << s.size();
  }
  // With a height of 0 nothing is written, but the stream is still read to its end.
  f.height = 0;
  for (const auto& [s, ok] : {std::pair{stream({4, 1, 0, 1}), 1}, std::pair{stream({4, 1}), 0}}) {
    const std::string bytes = MakeBmp({4, 0, 8, 1, f.palette, s});
    ASSERT_EQ(OpenDecoder(bytes.data(), int32_t(bytes.size())), kTagBmp);
    uint8_t unused = 0;
    EXPECT_EQ(DecodeFrame(&unused, 4, DecodeBottomUp), ok);
    CloseDecoder();
  }
}

TEST_F(BmpDecoder, WideImagesKeepTheirFullWidth) {
  const ObjectNumber number = Load(MakeBmp({40000, 1, 24, 0, {}, std::string(120000, '\x40')}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 40000);
  EXPECT_EQ(PixelAt(number, 39999, 0), 0x404040u);
}

}  // namespace
}  // namespace image
