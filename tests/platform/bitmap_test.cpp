#include "platform/bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace platform {
namespace {

TEST(Bitmap, CreationChecksSizeDepthAndTheTwoGibibyteLimit) {
  Bitmap* bitmap = CreateBitmap(5, 3, 24);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GraphicsKindOf(bitmap), GraphicsBitmap);
  EXPECT_EQ(bitmap->pitch, 16u);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(bitmap->pixels[i], 0) << i;
  DeleteBitmap(bitmap);

  // 65536 x 8192 x 4 bytes is exactly 2 GiB; one more row is over.
  const int32_t refused[][3] = {{0, 3, 24},         {-1, 3, 24},          {5, 0, 24},
                                {5, 3, 16},         {5, 3, 8},            {65536, 8193, 32},
                                {65536, -8193, 32}, {INT32_MAX, INT32_MIN, 32}, {INT32_MAX, 1, 32}};
  for (const auto& shape : refused) EXPECT_EQ(CreateBitmap(shape[0], shape[1], shape[2]), nullptr) << shape[0];
}

TEST(Bitmap, RowsMapTopToBottomWhicheverWayTheyAreStored) {
  Bitmap* bottom_up = CreateBitmap(2, 3, 32);
  Bitmap* top_down = CreateBitmap(2, -3, 32);
  ASSERT_TRUE(bottom_up && top_down);
  EXPECT_EQ(BitmapRow(bottom_up, 0), bottom_up->pixels + 2 * 8);
  EXPECT_EQ(BitmapRow(bottom_up, 2), bottom_up->pixels);
  EXPECT_EQ(BitmapRow(top_down, 0), top_down->pixels);
  EXPECT_EQ(BitmapRow(top_down, 2), top_down->pixels + 2 * 8);
  EXPECT_EQ(BitmapRow(top_down, 3), nullptr);
  EXPECT_EQ(BitmapRow(top_down, -1), nullptr);
  DeleteBitmap(bottom_up);
  DeleteBitmap(top_down);
}

TEST(Bitmap, IconsOwnTheirColourBitmapAndWidenIt) {
  const int64_t live = LiveGraphicsObjects();
  Bitmap* color = CreateBitmap(2, 1, 24);
  ASSERT_NE(color, nullptr);
  color->pixels[3] = 0x10;  // blue of the second pixel
  Icon* icon = CreateIconFromBitmap(color);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GraphicsKindOf(icon), GraphicsIcon);
  ASSERT_EQ(icon->color->bits_per_pixel, 32);
  EXPECT_EQ(icon->color->pixels[4], 0x10);
  EXPECT_EQ(icon->color->pixels[7], 0xFF);
  EXPECT_EQ(LiveGraphicsObjects(), live + 1);
  DeleteGraphics(icon);
  EXPECT_EQ(LiveGraphicsObjects(), live);
  EXPECT_EQ(CreateIconFromBitmap(nullptr), nullptr);
  EXPECT_EQ(GraphicsKindOf(nullptr), 0u);
}

}  // namespace
}  // namespace platform
