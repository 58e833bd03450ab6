// Bitmaps and icons on Windows are the system's own: what GDI sees of them must agree with the record.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/bitmap.h"

namespace platform {
namespace {

// The top row's last pixel, written through the record, is what the system reads back first.
TEST(BitmapWin32, TheDibSectionSeesTheRecordsShapeAndPixels) {
  for (const int32_t height : {3, -3}) {
    Bitmap* bitmap = CreateBitmap(5, height, 24);
    ASSERT_NE(bitmap, nullptr);
    auto* handle = static_cast<HBITMAP>(BitmapNativeHandle(bitmap));
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(handle, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBits, bitmap->pixels);
    EXPECT_EQ(section.dsBm.bmWidth, 5);
    EXPECT_EQ(section.dsBm.bmHeight, 3);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
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

TEST(BitmapWin32, AnIconsHandleHasItsSizeAndAMaskWhereAlphaIsZero) {
  Bitmap* color = CreateBitmap(3, 2, 32);  // stored bottom row first, the mask top row first
  ASSERT_NE(color, nullptr);
  BitmapRow(color, 0)[1 * 4 + 3] = 255;  // only the top row's middle pixel is opaque
  Icon* icon = CreateIconFromBitmap(color);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(IconNativeHandle(icon)), &info));
  EXPECT_TRUE(info.fIcon);
  BITMAP color_view{}, mask_view{};
  ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof(color_view), &color_view));
  EXPECT_EQ(color_view.bmWidth, 3);
  EXPECT_EQ(color_view.bmHeight, 2);
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

}  // namespace
}  // namespace platform
