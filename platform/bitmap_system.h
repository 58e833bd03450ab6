// What each system supplies for bitmaps and icons (bitmap_posix.cpp, bitmap_win32.cpp). The shared
// part checks shapes against the byte limit first, so the system is only asked for shapes that fit.
#pragma once

#include <cstdint>

#include "platform/bitmap.h"

namespace platform {

// A zeroed record with `pixels` (pitch x |height| = `bytes` zero-filled bytes) and `native` set, or
// nullptr when the memory or the system's bitmap is refused. The caller fills in the shape fields.
Bitmap* AllocateBitmap(int32_t width, int32_t height, int32_t bits_per_pixel, uint64_t bytes);
void FreeBitmap(Bitmap* bitmap);

// Gives an icon whose 32-bit colour bitmap is final its system handle; false when refused.
bool AttachIconHandle(Icon* icon);
void ReleaseIconHandle(Icon* icon);

}  // namespace platform
