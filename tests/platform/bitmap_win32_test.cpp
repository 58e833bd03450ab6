// Bitmaps and icons on Windows are the system's own: what GDI sees of them must agree with the record.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/bitmap.h"

namespace platform {
namespace {

struct Shape {
  int32_t width, height, bits;
};

TEST(BitmapWin32, TheDibSectionSeesTheRecordsShapeAndPixels) {
  for (const Shape shape : {Shape{5, 3, 24}, Shape{2, -3, 32}, Shape{3, 2, 32}}) {
    SCOPED_TRACE(shape.height);
    Bitmap* bitmap = CreateBitmap(shape.width, shape.height, shape.bits);
    ASSERT_NE(bitmap, nullptr);
    auto* handle = static_cast<HBITMAP>(BitmapNativeHandle(bitmap));
    ASSERT_NE(handle, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(handle, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBits, bitmap->pixels);
    EXPECT_EQ(section.dsBm.bmWidth, shape.width);
    EXPECT_EQ(section.dsBm.bmHeight, shape.height < 0 ? -shape.height : shape.height);
    EXPECT_EQ(section.dsBm.bmBitsPixel, shape.bits);
    EXPECT_EQ(static_cast<uint32_t>(section.dsBm.bmWidthBytes), bitmap->pitch);

    // The top row's last pixel, written through the record, read back top row first by the system.
    uint8_t* top = BitmapRow(bitmap, 0);
    const int64_t last = (shape.width - 1) * (shape.bits / 8);
    top[last] = 0x11, top[last + 1] = 0x22, top[last + 2] = 0x33;
    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    query.bmiHeader.biWidth = shape.width;
    const int rows = shape.height < 0 ? -shape.height : shape.height;
    query.bmiHeader.biHeight = -rows;
    query.bmiHeader.biPlanes = 1;
    query.bmiHeader.biBitCount = 32;
    query.bmiHeader.biCompression = BI_RGB;
    uint8_t read[4 * 5 * 3] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, handle, 0, rows, read, &query, DIB_RGB_COLORS), rows);
    DeleteDC(dc);
    const uint8_t expected[3] = {0x11, 0x22, 0x33};
    EXPECT_EQ(std::memcmp(read + (shape.width - 1) * 4, expected, 3), 0);
    EXPECT_NE(std::memcmp(read + (shape.width - 1) * 4 + shape.width * 4, expected, 3), 0);
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
