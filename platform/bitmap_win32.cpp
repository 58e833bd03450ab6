// The system's device-independent bitmaps and icons, so that what the decoders make can be shown by
// a window as it is. The pixels are the DIB section's own bits, written directly by the decoders.
#include <windows.h>

#include <cstdlib>

#include "platform/bitmap_system.h"

namespace platform {

Bitmap* AllocateBitmap(int32_t width, int32_t height, int32_t bits_per_pixel, uint64_t) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // the same sign rule: positive is bottom row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!handle) return nullptr;
  auto* bitmap = static_cast<Bitmap*>(std::calloc(1, sizeof(Bitmap)));
  if (!bitmap || !bits) {
    std::free(bitmap);
    DeleteObject(handle);
    return nullptr;
  }
  bitmap->pixels = static_cast<uint8_t*>(bits);
  bitmap->native = handle;
  return bitmap;
}

void FreeBitmap(Bitmap* bitmap) {
  DeleteObject(static_cast<HBITMAP>(bitmap->native));
  std::free(bitmap);
}

namespace {

// The icon's AND mask, top row first as monochrome device bitmaps are: a set bit where alpha is 0, so
// drawing that ignores alpha still leaves the transparent part alone. Rows are padded to 16 bits.
HBITMAP CreateMaskFromAlpha(const Bitmap* color) {
  const int64_t rows = color->height < 0 ? -static_cast<int64_t>(color->height) : color->height;
  const int64_t pitch = (static_cast<int64_t>(color->width) + 15) / 16 * 2;
  auto* mask = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(rows), static_cast<size_t>(pitch)));
  if (!mask) return nullptr;
  for (int64_t r = 0; r < rows; ++r) {
    const uint8_t* src = BitmapRow(color, static_cast<int32_t>(r));
    uint8_t* dst = mask + r * pitch;
    for (int64_t x = 0; x < color->width; ++x)
      if (src[x * 4 + 3] == 0) dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
  }
  HBITMAP handle = ::CreateBitmap(color->width, static_cast<int>(rows), 1, 1, mask);
  std::free(mask);
  return handle;
}

}  // namespace

bool AttachIconHandle(Icon* icon) {
  HBITMAP mask = CreateMaskFromAlpha(icon->color);
  if (!mask) return false;
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = static_cast<HBITMAP>(icon->color->native);
  // The system copies both bitmaps into the icon, so the mask is not needed past this call.
  icon->native = CreateIconIndirect(&info);
  DeleteObject(mask);
  return icon->native != nullptr;
}

void ReleaseIconHandle(Icon* icon) {
  if (icon->native) ::DestroyIcon(static_cast<HICON>(icon->native));
}

}  // namespace platform
