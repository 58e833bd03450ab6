// Bitmaps and icons; on Windows what GDI sees of them must agree with the record.
#include "platform/bitmap.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {
namespace {

TEST(Bitmap, CreationChecksSizeDepthAndTheTwoGibibyteLimit) {
  Bitmap* bitmap = CreateBitmap(5, 3, 24);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->pitch, 16u);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(bitmap->pixels[i], 0) << i;
  DeleteBitmap(bitmap);

  // 65536 x 8192 x 4 bytes is exactly 2 GiB; one more row is over.
  const int32_t refused[][3] = {{0, 3, 24},        {-1, 3, 24},       {5, 0, 24},         {5, 3, 16},
                                {5, 3, 8},         {65536, 8193, 32}, {65536, -8193, 32}, {INT32_MAX, INT32_MIN, 32},
                                {INT32_MAX, 1, 32}};
  for (const auto& shape : refused) EXPECT_EQ(CreateBitmap(shape[0], shape[1], shape[2]), nullptr) << shape[0];
}

TEST(Bitmap, RowsMapTopToBottomWhicheverWayTheyAreStored) {
  Bitmap* bottom_up = CreateBitmap(2, 3, 32);
  Bitmap* top_down = CreateBitmap(2, -3, 32);
  ASSERT_TRUE(bottom_up && top_down);
  EXPECT_EQ(BitmapRow(bottom_up, 0), bottom_up->pixels + 2 * 8);
  EXPECT_EQ(BitmapRow(bottom_up, 2), bottom_up->pixels);
  EXPECT_EQ(BitmapRow(top_down, 0), top_down->pixels);
  EXPECT_EQ(BitmapRow(top_down, 3), nullptr);
  EXPECT_EQ(BitmapRow(top_down, -1), nullptr);
  DeleteBitmap(bottom_up);
  DeleteBitmap(top_down);
}

TEST(Bitmap, IconsOwnTheirColourBitmapAndWidenIt) {
  Bitmap* color = CreateBitmap(2, 1, 24);
  ASSERT_NE(color, nullptr);
  color->pixels[3] = 0x10;  // blue of the second pixel
  Icon* icon = CreateIconFromBitmap(color);
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->color->bits_per_pixel, 32);
  EXPECT_EQ(icon->color->pixels[4], 0x10);
  EXPECT_EQ(icon->color->pixels[7], 0xFF);
  DeleteGraphics(icon);
  EXPECT_EQ(CreateIconFromBitmap(nullptr), nullptr);
  EXPECT_EQ(GraphicsKindOf(nullptr), 0u);
}

// An icon file entry two pixels wide and one row high: header, colour table, colour row, mask row.
std::vector<uint8_t> IconEntry(int bits, uint32_t compression, std::vector<uint8_t> table, std::vector<uint8_t> colour,
                               std::vector<uint8_t> mask) {
  std::vector<uint8_t> data(40, 0);
  const uint32_t fields[][2] = {{0, 40}, {4, 2}, {8, 2}, {12, 1}, {14, uint32_t(bits)}, {16, compression}};
  for (const auto& [at, value] : fields)
    for (int i = 0; i < (at == 12 || at == 14 ? 2 : 4); ++i) data[at + i] = uint8_t(value >> (8 * i));
  for (const auto* part : {&table, &colour, &mask}) data.insert(data.end(), part->begin(), part->end());
  return data;
}

TEST(Bitmap, IconEntriesDecodeTheirBitsAndRefuseWhatTheyDoNotDescribe) {
  const std::vector<uint8_t> mask_first = {0x80, 0, 0, 0}, mask_second = {0x40, 0, 0, 0};
  struct Case {
    std::vector<uint8_t> data;
    std::vector<uint8_t> pixels;  // blue, green, red, alpha of both; empty: refused
  };
  const Case cases[] = {
      {IconEntry(1, 0, {1, 2, 3, 0, 4, 5, 6, 0}, {0x40, 0, 0, 0}, mask_first), {1, 2, 3, 0, 4, 5, 6, 255}},
      {IconEntry(24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0}, mask_second), {1, 2, 3, 255, 4, 5, 6, 0}},
      {IconEntry(32, 0, {}, {1, 2, 3, 9, 4, 5, 6, 0}, {}), {1, 2, 3, 9, 4, 5, 6, 0}},  // alpha, no mask
      // No alpha at all: the mask decides, the padding after its bits aside.
      {IconEntry(32, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0}, {0x40, 0, 0, 0xFF}), {1, 2, 3, 255, 4, 5, 6, 0}},
      {IconEntry(24, 1, {}, {1, 2, 3, 4, 5, 6, 0, 0}, mask_second), {}},  // compressed
      {IconEntry(16, 0, {}, {1, 2, 3, 4, 0, 0, 0, 0}, mask_second), {}},
      {IconEntry(24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0}, {}), {}},  // the mask is missing
      {std::vector<uint8_t>(39, 0), {}},
  };
  for (const Case& c : cases) {
    Icon* icon = CreateIconFromBitmapData(c.data.data(), uint32_t(c.data.size()));
    ASSERT_EQ(icon != nullptr, !c.pixels.empty()) << c.data.size();
    if (!icon) continue;
    EXPECT_EQ(std::vector<uint8_t>(icon->color->pixels, icon->color->pixels + 8), c.pixels);
    DeleteGraphics(icon);
  }
}

#if defined(_WIN32)
// The top row's last pixel, written through the record, is what the system reads back first.
TEST(BitmapWin32, TheDibSectionSeesTheRecordsShapeAndPixels) {
  for (const int32_t height : {3, -3}) {
    Bitmap* bitmap = CreateBitmap(5, height, 24);
    ASSERT_NE(bitmap, nullptr);
    auto* handle = static_cast<HBITMAP>(BitmapNativeHandle(bitmap));
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(handle, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBits, bitmap->pixels);
    EXPECT_EQ(static_cast<uint32_t>(section.dsBm.bmWidthBytes), bitmap->pitch);
    uint8_t* top = BitmapRow(bitmap, 0);
    std::memcpy(top + 4 * 3, "\x11\x22\x33", 3);
    BITMAPINFO query{};
    query.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, -3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint8_t read[4 * 5 * 3] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, handle, 0, 3, read, &query, DIB_RGB_COLORS), 3);
    DeleteDC(dc);
    EXPECT_EQ(std::memcmp(read + 4 * 4, "\x11\x22\x33", 3), 0) << height;
    DeleteBitmap(bitmap);
  }
  EXPECT_EQ(BitmapNativeHandle(nullptr), nullptr);
}

TEST(BitmapWin32, AnIconsHandleHasAMaskWhereAlphaIsZero) {
  Bitmap* color = CreateBitmap(3, 2, 32);  // stored bottom row first, the mask top row first
  ASSERT_NE(color, nullptr);
  BitmapRow(color, 0)[1 * 4 + 3] = 255;  // only the top row's middle pixel is opaque
  Icon* icon = CreateIconFromBitmap(color);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(IconNativeHandle(icon)), &info));
  EXPECT_TRUE(info.fIcon);
  BITMAP mask_view{};
  ASSERT_TRUE(GetObjectW(info.hbmMask, sizeof(mask_view), &mask_view));
  EXPECT_EQ(mask_view.bmBitsPixel, 1);
  uint8_t mask[4] = {};  // two rows of 16 bits
  ASSERT_EQ(GetBitmapBits(info.hbmMask, sizeof(mask), mask), static_cast<LONG>(sizeof(mask)));
  EXPECT_EQ(mask[0] & 0xE0, 0xA0);
  EXPECT_EQ(mask[2] & 0xE0, 0xE0);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  EXPECT_EQ(IconNativeHandle(nullptr), nullptr);
}
#endif

}  // namespace
}  // namespace platform
