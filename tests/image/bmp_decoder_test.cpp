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
using BmpDecoder = LoaderTest;

// Files of an outside encoder against that encoder's own decoding of them (their PNG twins). The
// 1-bit file decodes as the twin's negative (the table is ignored and the encoder puts white at 0);
// 16-bit channels widen by shifting, not scaling, so they may be 7 apart.
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    const Picture twin = ReadPng(name.substr(0, name.size() - 3) + "png");
    const ObjectNumber number = LoadImageFile(AnyId, FixturePath(name));
    ASSERT_NE(number, 0);
    const ImageObject* record = FindImage(number);
    EXPECT_EQ(record->tag, c.tag);
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

std::string Rle8(std::initializer_list<uint8_t> stream) {
  return MakeBmp({4, 1, 8, 1, {0x000000, 0xFFFFFF}, std::string(stream.begin(), stream.end())});
}

// Pixel formats the outside encoder does not write (set bits past the width must not be drawn), and
// every header field that sizes or places something pointed outside the data or past the budget: the
// check accepts or rejects, with the depth the bitmap will have, and the load fails or draws only
// what lies in the data.
TEST_F(BmpDecoder, FilesDecodeToTheirPixelsOrFailInsideTheData) {
  constexpr uint32_t W = 0xFFFFFF;
  const std::string good = MakeBmp({4, 1, 8, 0, {0x102030, 0x405060}, std::string("\x00\x01\x02\xFF", 4)});
  const std::string rle8 = MakeBmp({4, 1, 8, 1, {0x102030}, std::string("\x04\x00\x00\x01", 4)});
  const std::string rows_short = MakeBmp({10, 5, 24, 0, {}, std::string(32 * 4, '\x7F')});
  const std::string alpha_last = PackRows({{0x00102030, 0x01405060}}, 32);
  const std::string with_alpha = MakeBmp({2, 1, 32, 0, {}, alpha_last});
  const std::string bits1 =
      MakeBmp({13, 1, 1, 0, {0xFF0000, 0x0000FF}, PackRows({{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1}}, 1)});
  const std::string bits4 = MakeBmp({5, 1, 4, 0, {0, 0x112233, 0x445566, W}, PackRows({{1, 2, 0, 3, 2, 3}}, 4)});
  const std::string bits555 =
      MakeBmp({3, 1, 16, 0, {}, PackRows({{0x8000 | 31 << 10 | 1 << 5 | 2, 31 << 5, 16 << 10 | 16 << 5 | 16}}, 16)});
  const std::string bits565 =
      MakeBmp({3, 1, 16, 3, {0x7C00, 0x03E0, 0x001F}, PackRows({{31u << 11 | 63 << 5, 1 << 5 | 31, 0xFFFF}}, 16)});
  enum Outcome { kRejected, kFails, kLoads };
  const struct {
    const char* name;
    Outcome outcome;
    std::vector<uint32_t> row;  // the loaded top row, where it matters
    std::string bytes;
    int depth = 24;
  } cases[] = {
      {"1 bit ignores the table", kLoads, {W, 0, W, 0, W, 0, W, 0, W, 0, W, 0, W}, bits1},
      {"4 bits, odd width", kLoads, {0x112233, 0x445566, 0, W, 0x445566}, bits4},
      {"16 bits 5-5-5, top bit unused", kLoads, {0xF80810, 0x00F800, 0x808080}, bits555},
      {"16-bit fields are 5-6-5 whatever the masks", kLoads, {0xF8FC00, 0x0004F8, 0xF8FCF8}, bits565},
      {"16 bits, other compression", kLoads, {0, 0, 0}, MakeBmp({3, 1, 16, 4, {}, std::string(8, '\x7F')})},
      {"RLE4", kLoads, {0, 0, 0, 0, 0, 0, 0}, MakeBmp({7, 1, 4, 2, {W, W}, std::string(8, '\x11')})},
      {"64 bits", kLoads, {0, 0, 0, 0, 0, 0, 0}, MakeBmp({7, 1, 64, 0, {}, std::string(64, '\x11')})},
      {"32 bits without alpha", kLoads, {0x102030, 0x405060}, Patched(with_alpha, 54 + 7, 0, 1)},
      // One alpha byte, in the last pixel, is enough; the colours are not premultiplied.
      {"32 bits with alpha", kLoads, {0x00102030, 0x01405060}, with_alpha, 32},
      // Rows that do not all lie in the data are not scanned.
      {"32 bits, a byte short", kFails, {}, MakeBmp({2, 1, 32, 0, {}, alpha_last.substr(0, 7)})},
      {"40000 wide", kLoads, std::vector<uint32_t>(40000, 0x404040),
       MakeBmp({40000, 1, 24, 0, {}, std::string(120000, '\x40')})},
      // Entry 2 lies on the pixel bytes themselves (0, 1, 2); entry 255 lies past the data: black.
      {"good", kLoads, {0x102030, 0x405060, 0x020100, 0}, good},
      {"53 bytes", kRejected, {}, good.substr(0, 53)},
      {"signature BA", kRejected, {}, Patched(good, 1, 'A', 1)},
      {"reserved word set", kRejected, {}, Patched(good, 8, 1, 2)},
      {"other reserved word set", kRejected, {}, Patched(good, 6, 0x100, 2)},
      {"height without a positive counterpart", kRejected, {}, Patched(good, 22, 0x80000000u)},
      {"header only", kFails, {}, MakeBmp({10, 5, 24, 0, {}, ""})},
      {"one row short", kFails, {}, rows_short},
      {"last row without its padding", kLoads, {}, rows_short + std::string(30, '\x7F')},
      {"pixel offset -1", kFails, {}, Patched(good, 10, 0xFFFFFFFFu)},
      {"pixel offset INT32_MAX", kFails, {}, Patched(good, 10, 0x7FFFFFFFu)},
      {"RLE8", kLoads, {0x102030, 0x102030, 0x102030, 0x102030}, rle8},
      {"RLE8 pixel offset -1", kFails, {}, Patched(rle8, 10, 0xFFFFFFFFu)},
      {"RLE8 pixel offset INT32_MAX", kFails, {}, Patched(rle8, 10, 0x7FFFFFFFu)},
      {"RLE8 rows without an end of bitmap", kFails, {}, Rle8({4, 1, 0, 0})},
      {"RLE8 half a code", kFails, {}, Rle8({4, 1, 0})},
      {"RLE8 literal past the end", kFails, {}, Rle8({0, 5, 1, 1})},
      {"RLE8 delta past the end", kFails, {}, Rle8({0, 2, 1})},
      // The header's bytes B, M, 66, 0 as indices: three past the data's end, then entry 0.
      {"pixel offset inside the header", kLoads, {0, 0, 0, 0x102030}, Patched(good, 10, 0)},
      {"colour table past the data", kLoads, {0, 0, 0, 0}, Patched(good, 14, 0xFFFFFFF0u)},
      {"30 GB of pixels", kFails, {}, MakeBmp({100000, -100000, 24, 0, {}, std::string(16, '\0')})},
      {"5 GB of RLE4", kFails, {}, MakeBmp({100000, -100000, 4, 2, {}, std::string(16, '\0')})},
      {"widest 32-bit row", kFails, {}, MakeBmp({INT32_MAX, 1, 32, 0, {}, std::string(16, '\0')})},
      {"negative width", kFails, {}, MakeBmp({-5, 1, 32, 0, {}, std::string(16, '\0')})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(OpenDecoder(c.bytes.data(), int32_t(c.bytes.size())), c.outcome == kRejected ? 0u : kTagBmp);
    EXPECT_EQ(CurrentDecoderState()->depth, c.outcome == kRejected ? 0 : c.depth);
    CloseDecoder();
    const ObjectNumber number = Load(c.bytes);
    ASSERT_EQ(number != 0, c.outcome == kLoads);
    if (c.row.empty()) continue;
    ASSERT_EQ(ImagePixelWidth(number), int64_t(c.row.size()));
    ExpectRow(number, 0, c.row);
    EXPECT_TRUE(PaddingIsZero(BitmapOf(number)));
  }
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

// Runs, literals with their pad byte, deltas, clipping at the width, and rows past the height that
// are read but not written.
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
  const ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  ExpectRow(number, 2, {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  ExpectRow(number, 1, {0, 0, 0, 0, 0, 0});
  ExpectRow(number, 0, {0, 0, 0x0000FF, 0, 0, 0});
  EXPECT_TRUE(PaddingIsZero(BitmapOf(number)));
  f.pixels = stream({0, 2, 0, 9, 2, 4, 0, 1});
  EXPECT_NE(Load(MakeBmp(f)), 0);
}

}  // namespace
}  // namespace image
