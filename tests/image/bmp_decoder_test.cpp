#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "runtime/text.h"
#include "tests/image/pictures.h"

namespace image {
namespace {

using testpictures::BmpFile;
using testpictures::MakeBmp;
using testpictures::PackRows;
using testpictures::PixelAt;

class BmpDecoder : public ::testing::Test {
 protected:
  void SetUp() override { InitImageLibrary(); }
  void TearDown() override { ReleaseAllImages(); }

  ObjectNumber Load(const std::string& bytes) {
    return LoadImageMemory(AnyId, bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  static const platform::Bitmap* BitmapOf(ObjectNumber number) {
    const ImageObject* record = FindImage(number);
    return record ? static_cast<const platform::Bitmap*>(record->handle) : nullptr;
  }
};

std::string Fixture(const std::string& name) { return std::string(SB_IMAGE_FIXTURES) + "/" + name; }

// Files written by an outside encoder, compared pixel by pixel with the same encoder's own decoding
// of them stored as PNG.
struct FixtureCase {
  const char* name;
  int source_depth;
  int depth;
  int tolerance;  // per channel
  bool negative = false;
};

TEST_F(BmpDecoder, OutsideEncoderFilesMatchTheirPngTwins) {
  // 16-bit channels widen by shifting (5 bits x 8, 6 bits x 4), not by scaling to 255: up to 7 apart.
  const FixtureCase cases[] = {
      // The encoder puts white at index 0 of a 1-bit table; the decoder ignores the table (0 is
      // black), so it shows the negative of the encoder's picture.
      {"depth1", 1, 24, 0, true},       {"depth4", 4, 24, 0},  {"depth8", 8, 24, 0},
      {"rle8", 8, 24, 0},         {"rle8-runs", 8, 24, 0}, {"depth16-565", 16, 24, 7},
      {"depth24", 24, 24, 0},     {"depth32-alpha", 32, 32, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testpictures::Picture twin = testpictures::ReadPng(Fixture(std::string(c.name) + ".png"));
    ASSERT_GT(twin.width, 0);
    const ObjectNumber number = LoadImageFile(AnyId, runtime::TextFromUtf8(Fixture(std::string(c.name) + ".bmp")));
    ASSERT_NE(number, 0);
    const ImageObject* record = FindImage(number);
    EXPECT_EQ(record->tag, kTagBmp);
    EXPECT_EQ(record->width, twin.width);
    EXPECT_EQ(record->height, twin.height);
    EXPECT_EQ(record->source_depth, c.source_depth);
    EXPECT_EQ(record->depth, c.depth);
    EXPECT_EQ(record->frame_count, 1);
    EXPECT_EQ(record->frames, nullptr);
    const platform::Bitmap* bitmap = BitmapOf(number);
    ASSERT_EQ(bitmap->bits_per_pixel, c.depth);
    EXPECT_TRUE(testpictures::PaddingIsZero(bitmap));
    int mismatches = 0;
    for (int y = 0; y < twin.height; ++y) {
      for (int x = 0; x < twin.width; ++x) {
        const uint32_t got = PixelAt(bitmap, x, y), want = c.negative ? ~twin.At(x, y) : twin.At(x, y);
        for (int shift = 0; shift < (c.depth == 32 ? 32 : 24); shift += 8) {
          const int a = (got >> shift) & 0xFF, b = (want >> shift) & 0xFF;
          if (std::abs(a - b) > c.tolerance && mismatches++ < 5)
            ADD_FAILURE() << "pixel " << x << "," << y << " got " << std::hex << got << " want " << want;
        }
      }
    }
    ReleaseImage(number);
  }
}

TEST_F(BmpDecoder, OneBitIgnoresTheColourTableAndWritesOnlyWidthPixels) {
  BmpFile f;
  f.width = 13;
  f.height = 2;
  f.bits = 1;
  f.palette = {0xFF0000, 0x0000FF};  // red and blue: not used
  // The bits past the width are set, so writing them would show.
  std::vector<std::vector<uint32_t>> rows = {
      {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}};
  f.pixels = PackRows(rows, 1);
  const ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  const platform::Bitmap* bitmap = BitmapOf(number);
  for (int x = 0; x < 13; ++x) {
    EXPECT_EQ(PixelAt(bitmap, x, 0), x % 2 == 0 ? 0xFFFFFFu : 0u) << x;
    EXPECT_EQ(PixelAt(bitmap, x, 1), 0u) << x;
  }
  EXPECT_TRUE(testpictures::PaddingIsZero(bitmap));
}

TEST_F(BmpDecoder, FourBitOddWidthUsesTheTableAndNotTheLastLowNibble) {
  BmpFile f;
  f.width = 5;
  f.height = 1;
  f.bits = 4;
  f.palette = {0x000000, 0x112233, 0x445566, 0xFFFFFF};
  f.pixels = PackRows({{1, 2, 0, 3, 2, 3}}, 4);  // the sixth nibble lies past the width
  const ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  const platform::Bitmap* bitmap = BitmapOf(number);
  const uint32_t want[] = {0x112233, 0x445566, 0x000000, 0xFFFFFF, 0x445566};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(bitmap, x, 0), want[x]) << x;
  EXPECT_TRUE(testpictures::PaddingIsZero(bitmap));
}

TEST_F(BmpDecoder, SixteenBitsFollowTheCompressionNotTheMasks) {
  BmpFile f;
  f.width = 3;
  f.height = 1;
  f.bits = 16;
  // 5-5-5 with the unused top bit set: 0x8000 | r=31 g=1 b=2, then pure green, then a grey.
  f.pixels = PackRows({{0x8000 | 31 << 10 | 1 << 5 | 2, 31 << 5, 16 << 10 | 16 << 5 | 16}}, 16);
  ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(BitmapOf(number), 0, 0), 0xF80810u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 0), 0x00F800u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 2, 0), 0x808080u);

  // Bit fields always mean 5-6-5, even when the header's masks describe 5-5-5.
  f.compression = 3;
  f.info_size = 52;
  f.pixels = PackRows({{31u << 11 | 63 << 5 | 0, 1 << 5 | 31, 0xFFFF}}, 16);
  std::string bytes = MakeBmp(f);
  testpictures::PutU32(bytes, 54, 0x7C00);
  testpictures::PutU32(bytes, 58, 0x03E0);
  testpictures::PutU32(bytes, 62, 0x001F);
  number = Load(bytes);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(BitmapOf(number), 0, 0), 0xF8FC00u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 0), 0x0004F8u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 2, 0), 0xF8FCF8u);

  // Any other compression: the picture loads at its size, black.
  f.compression = 4;
  number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 3);
  EXPECT_EQ(PixelAt(BitmapOf(number), 2, 0), 0u);
}

TEST_F(BmpDecoder, ThirtyTwoBitsAreThirtyTwoOnlyWhenSomeAlphaIsSet) {
  BmpFile f;
  f.width = 2;
  f.height = 2;
  f.bits = 32;
  const std::vector<std::vector<uint32_t>> opaque = {{0x00102030, 0x00405060}, {0x00708090, 0x00A0B0C0}};
  f.pixels = PackRows(opaque, 32);
  ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->depth, 24);
  EXPECT_EQ(FindImage(number)->source_depth, 32);
  EXPECT_EQ(BitmapOf(number)->bits_per_pixel, 24);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 1), 0xA0B0C0u);

  // One alpha byte in the bottom-right corner is enough; the others stay 0, not premultiplied.
  auto alpha = opaque;
  alpha[1][1] |= 0x01000000;
  f.pixels = PackRows(alpha, 32);
  number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->depth, 32);
  EXPECT_EQ(PixelAt(BitmapOf(number), 0, 0), 0x00102030u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 1), 0x01A0B0C0u);

  // Rows that do not all lie in the data are not scanned: 24 bits, and the load then fails.
  f.pixels.resize(f.pixels.size() - 1);
  const std::string short_rows = MakeBmp(f);
  EXPECT_EQ(OpenDecoder(short_rows.data(), static_cast<int32_t>(short_rows.size())), kTagBmp);
  EXPECT_EQ(CurrentDecoderState()->depth, 24);
  CloseDecoder();
  EXPECT_EQ(Load(MakeBmp(f)), 0);
}

std::vector<std::vector<uint32_t>> Gradient(int width, int height) {
  std::vector<std::vector<uint32_t>> rows(height, std::vector<uint32_t>(width));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rows[y][x] = static_cast<uint32_t>(y * 40 << 16 | x * 30 << 8 | (x + y) * 10);
  return rows;
}

TEST_F(BmpDecoder, TopDownFilesReportTheirPositiveHeightAndKeepTheirRowOrder) {
  const auto rows = Gradient(5, 3);
  BmpFile bottom_up;
  bottom_up.width = 5;
  bottom_up.height = 3;
  bottom_up.pixels = PackRows(rows, 24);
  BmpFile top_down = bottom_up;
  top_down.height = -3;
  top_down.pixels = PackRows(rows, 24, /*top_down=*/true);
  for (const BmpFile* f : {&bottom_up, &top_down}) {
    const ObjectNumber number = Load(MakeBmp(*f));
    ASSERT_NE(number, 0);
    EXPECT_EQ(ImagePixelHeight(number), 3);
    EXPECT_EQ(BitmapOf(number)->height, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(BitmapOf(number), x, y), rows[y][x]) << x << "," << y;
  }
}

TEST_F(BmpDecoder, DestinationRowsFollowTheBottomUpFlag) {
  const auto rows = Gradient(3, 4);
  for (bool top_down_file : {false, true}) {
    BmpFile f;
    f.width = 3;
    f.height = top_down_file ? -4 : 4;
    f.pixels = PackRows(rows, 24, top_down_file);
    const std::string bytes = MakeBmp(f);
    ASSERT_EQ(OpenDecoder(bytes.data(), static_cast<int32_t>(bytes.size())), kTagBmp);
    const int64_t pitch = RowPitch(3, 24);
    EXPECT_EQ(pitch, 12);
    for (uint32_t flags : {0u, DecodeBottomUp}) {
      std::vector<uint8_t> out(static_cast<size_t>(pitch) * 4, 0xEE);
      ASSERT_EQ(DecodeFrame(out.data(), static_cast<uint32_t>(pitch), flags), 1);
      for (int y = 0; y < 4; ++y) {
        const int stored = flags ? 3 - y : y;
        const uint8_t* p = out.data() + stored * pitch;
        EXPECT_EQ(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16), rows[y][0]) << y << " flags " << flags;
        EXPECT_EQ(p[9], 0xEE) << "a decoder writes only width pixels";
      }
    }
    CloseDecoder();
  }
}

TEST_F(BmpDecoder, HeaderOnlyFileIsAcceptedThenFailsToLoad) {
  BmpFile f;
  f.width = 10;
  f.height = 5;
  const std::string bytes = MakeBmp(f);
  ASSERT_EQ(bytes.size(), 54u);
  ASSERT_EQ(OpenDecoder(bytes.data(), 54), kTagBmp);
  EXPECT_EQ(CurrentDecoderState()->width, 10);
  EXPECT_EQ(CurrentDecoderState()->height, 5);
  CloseDecoder();
  const int64_t before = platform::LiveGraphicsObjects();
  EXPECT_EQ(Load(bytes), 0);
  EXPECT_EQ(platform::LiveGraphicsObjects(), before) << "the failed bitmap is deleted";

  // One row short of the last: fails too; every row there: loads.
  f.pixels = std::string(static_cast<size_t>(RowPitch(10, 24)) * 4, '\x7F');
  EXPECT_EQ(Load(MakeBmp(f)), 0);
  f.pixels += std::string(30, '\x7F');  // the last row without its padding still holds every pixel
  EXPECT_NE(Load(MakeBmp(f)), 0);
}

TEST_F(BmpDecoder, CheckRejectsShortUnsignedOrReservedHeaders) {
  BmpFile f;
  f.width = 1;
  f.height = 1;
  f.pixels = PackRows({{0x123456}}, 24);
  const std::string good = MakeBmp(f);
  EXPECT_EQ(OpenDecoder(good.data(), static_cast<int32_t>(good.size())), kTagBmp);
  CloseDecoder();
  EXPECT_EQ(OpenDecoder(good.data(), 53), 0u);
  std::string bad = good;
  bad[1] = 'A';
  EXPECT_EQ(OpenDecoder(bad.data(), static_cast<int32_t>(bad.size())), 0u);
  f.reserved2 = 1;
  bad = MakeBmp(f);
  EXPECT_EQ(OpenDecoder(bad.data(), static_cast<int32_t>(bad.size())), 0u);
  f.reserved2 = 0;
  f.reserved1 = 0x100;
  bad = MakeBmp(f);
  EXPECT_EQ(Load(bad), 0);
  // A height with no positive counterpart.
  bad = good;
  testpictures::PutU32(bad, 22, 0x80000000u);
  EXPECT_EQ(OpenDecoder(bad.data(), static_cast<int32_t>(bad.size())), 0u);
}

TEST_F(BmpDecoder, Rle8RunsLiteralsDeltasAndClipping) {
  BmpFile f;
  f.width = 6;
  f.height = 3;
  f.bits = 8;
  f.compression = 1;
  f.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  // Stored row 0 is the bottom row.
  const unsigned char stream[] = {
      3, 1,              // three red
      0, 3, 2, 3, 4, 0,  // literal green, blue, white, then a pad byte (odd count)
      2, 1,              // two red, the second past the width: clipped
      0, 0,              // end of row
      0, 2, 2, 1,        // delta: two right, one up, to row 2
      1, 3,              // one blue at (2, 2)
      0, 1,              // end of bitmap
      9, 9,              // never read
  };
  f.pixels.assign(reinterpret_cast<const char*>(stream), sizeof(stream));
  const ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  const platform::Bitmap* bitmap = BitmapOf(number);
  const uint32_t bottom[] = {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(bitmap, x, 2), bottom[x]) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(bitmap, x, 1), 0u) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(bitmap, x, 0), x == 2 ? 0x0000FFu : 0u) << x;
  EXPECT_TRUE(testpictures::PaddingIsZero(bitmap));

  // Rows past the height are read and not written.
  const unsigned char tall[] = {0, 2, 0, 9, 2, 4, 0, 1};
  f.pixels.assign(reinterpret_cast<const char*>(tall), sizeof(tall));
  EXPECT_NE(Load(MakeBmp(f)), 0);
}

TEST_F(BmpDecoder, Rle8WithoutEndOfBitmapFails) {
  BmpFile f;
  f.width = 4;
  f.height = 1;
  f.bits = 8;
  f.compression = 1;
  f.palette = {0x000000, 0xFF0000};
  for (const std::string& stream : {std::string("\x04\x01\x00\x00", 4),       // rows end, bitmap never does
                                    std::string("\x04\x01\x00", 3),           // half a code
                                    std::string("\x00\x05\x01\x01", 4),       // literal past the end
                                    std::string("\x00\x02\x01", 3)}) {        // delta past the end
    f.pixels = stream;
    EXPECT_EQ(Load(MakeBmp(f)), 0) << stream.size();
  }
  // With a height of 0 nothing is written, but the stream is still read to its end.
  f.height = 0;
  f.pixels = std::string("\x04\x01\x00\x01", 4);
  const std::string empty = MakeBmp(f);
  ASSERT_EQ(OpenDecoder(empty.data(), static_cast<int32_t>(empty.size())), kTagBmp);
  uint8_t unused = 0;
  EXPECT_EQ(DecodeFrame(&unused, 4, DecodeBottomUp), 1);
  f.pixels = std::string("\x04\x01", 2);
  const std::string open_ended = MakeBmp(f);
  ASSERT_EQ(OpenDecoder(open_ended.data(), static_cast<int32_t>(open_ended.size())), kTagBmp);
  EXPECT_EQ(DecodeFrame(&unused, 4, DecodeBottomUp), 0);
  CloseDecoder();
}

TEST_F(BmpDecoder, UnsupportedFormatsLoadBlackAtTheirSize) {
  BmpFile f;
  f.width = 7;
  f.height = 3;
  f.palette = std::vector<uint32_t>(16, 0xFFFFFF);
  f.pixels = std::string(64, '\x11');
  for (auto [bits, compression] : {std::pair{4, 2}, std::pair{2, 0}, std::pair{0, 0}, std::pair{64, 0}}) {
    f.bits = static_cast<uint16_t>(bits);
    f.compression = static_cast<uint32_t>(compression);
    const ObjectNumber number = Load(MakeBmp(f));
    ASSERT_NE(number, 0) << bits;
    EXPECT_EQ(ImagePixelWidth(number), 7);
    EXPECT_EQ(ImagePixelHeight(number), 3);
    EXPECT_EQ(FindImage(number)->source_depth, static_cast<uint8_t>(bits));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelAt(BitmapOf(number), x, y), 0u);
  }
}

TEST_F(BmpDecoder, OffsetsAndIndicesOutsideTheDataStayInside) {
  BmpFile f;
  f.width = 4;
  f.height = 1;
  f.bits = 8;
  f.palette = {0x102030, 0x405060};
  f.pixels = std::string("\x00\x01\x02\xFF", 4);
  std::string bytes = MakeBmp(f);
  // Entry 2 lies on the pixel bytes themselves (0, 1, 2); entry 255 lies past the data: black.
  ObjectNumber number = Load(bytes);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(BitmapOf(number), 0, 0), 0x102030u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 0), 0x405060u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 2, 0), 0x020100u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 3, 0), 0u);

  // A colour table said to start far past the data: every pixel black.
  testpictures::PutU32(bytes, 14, 0xFFFFFFF0u);
  number = Load(bytes);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(BitmapOf(number), 1, 0), 0u);

  // A pixel offset before the data, or past it: the load fails.
  for (uint32_t offset : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu}) {
    bytes = MakeBmp(f);
    testpictures::PutU32(bytes, 10, offset);
    EXPECT_EQ(Load(bytes), 0) << offset;
    f.compression = 1;
    bytes = MakeBmp(f);
    testpictures::PutU32(bytes, 10, offset);
    EXPECT_EQ(Load(bytes), 0) << "RLE8 " << offset;
    f.compression = 0;
  }
  // A pixel offset inside the header is inside the data: the header's bytes B, M, 66, 0 are read
  // as indices, the first three past the data's end, the last naming entry 0.
  bytes = MakeBmp(f);
  testpictures::PutU32(bytes, 10, 0);
  number = Load(bytes);
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(BitmapOf(number), 0, 0), 0u);
  EXPECT_EQ(PixelAt(BitmapOf(number), 3, 0), 0x102030u);
}

TEST_F(BmpDecoder, WideImagesKeepTheirFullWidth) {
  BmpFile f;
  f.width = 40000;
  f.height = 1;
  f.pixels = std::string(static_cast<size_t>(RowPitch(40000, 24)), '\x40');
  const ObjectNumber number = Load(MakeBmp(f));
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 40000);
  EXPECT_EQ(PixelAt(BitmapOf(number), 39999, 0), 0x404040u);
}

TEST_F(BmpDecoder, HugeHeadersFailWithoutDecoding) {
  BmpFile f;
  f.width = 100000;
  f.height = -100000;  // 30 GB of pixels
  f.pixels = std::string(16, '\0');
  EXPECT_EQ(Load(MakeBmp(f)), 0);
  f.bits = 4;
  f.compression = 2;  // RLE4 loads black, but not at 5 GB
  EXPECT_EQ(Load(MakeBmp(f)), 0);
  f.width = INT32_MAX;
  f.height = 1;
  f.bits = 32;
  EXPECT_EQ(Load(MakeBmp(f)), 0);
  f.width = -5;
  EXPECT_EQ(Load(MakeBmp(f)), 0);
}

}  // namespace
}  // namespace image
