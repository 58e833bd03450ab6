// What bitmaps and icons share on every system: shape checks and the byte limit, row arithmetic,
// icon entries read from their bitmap data, and the count of live objects. Allocation is per system.
#include "platform/bitmap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/bitmap_system.h"

namespace platform {
namespace {

std::atomic<int64_t> g_live{0};
std::atomic<uint64_t> g_limit{kBitmapMaxBytes};

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Pixel `x` of a stored icon row as blue, green, red; palette indices past the table give black.
void IconPixel(const uint8_t* row, int64_t x, int bits, const uint8_t* table, uint32_t table_entries, uint8_t* out) {
  uint32_t index = 0;
  switch (bits) {
    case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 4: index = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; break;
    case 8: index = row[x]; break;
    case 24: std::memcpy(out, row + x * 3, 3); return;
    default:  // 32
      std::memcpy(out, row + x * 4, 3);
      return;
  }
  if (index < table_entries)
    std::memcpy(out, table + index * 4, 3);
  else
    out[0] = out[1] = out[2] = 0;
}

}  // namespace

int64_t BitmapRowPitch(int64_t width, int32_t bits_per_pixel) {
  switch (bits_per_pixel) {
    case 1: return (width + 31) / 32 * 4;
    case 4: return (width + 7) / 8 * 4;
    case 8: return (width + 3) / 4 * 4;
    case 15:
    case 16: return (width + 1) / 2 * 4;
    case 24: return (3 * width + 3) / 4 * 4;
    default: return width * 4;
  }
}

namespace {

// The pixel block's size in bytes, or false when the shape is not one a bitmap may have.
bool PixelBytes(int32_t width, int32_t height, int32_t bits_per_pixel, uint64_t* bytes) {
  if (width < 1 || height == 0 || (bits_per_pixel != 24 && bits_per_pixel != 32)) return false;
  const int64_t pitch = BitmapRowPitch(width, bits_per_pixel);
  const uint64_t rows =
      height < 0 ? uint64_t{0} - static_cast<uint64_t>(static_cast<int64_t>(height)) : static_cast<uint64_t>(height);
  return !__builtin_mul_overflow(static_cast<uint64_t>(pitch), rows, bytes) && *bytes <= g_limit;
}

}  // namespace

bool BitmapFits(int32_t width, int32_t height, int32_t bits_per_pixel) {
  uint64_t bytes;
  return PixelBytes(width, height, bits_per_pixel, &bytes);
}

Bitmap* CreateBitmap(int32_t width, int32_t height, int32_t bits_per_pixel) {
  uint64_t bytes;
  if (!PixelBytes(width, height, bits_per_pixel, &bytes)) return nullptr;
  Bitmap* bitmap = AllocateBitmap(width, height, bits_per_pixel, bytes);
  if (!bitmap) return nullptr;
  bitmap->kind = GraphicsBitmap;
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bits_per_pixel = bits_per_pixel;
  bitmap->pitch = static_cast<uint32_t>(BitmapRowPitch(width, bits_per_pixel));
  ++g_live;
  return bitmap;
}

void DeleteBitmap(Bitmap* bitmap) {
  if (!bitmap) return;
  --g_live;
  FreeBitmap(bitmap);
}

uint8_t* BitmapRow(const Bitmap* bitmap, int32_t row_from_top) {
  if (!bitmap || row_from_top < 0) return nullptr;
  const int64_t rows = bitmap->height < 0 ? -static_cast<int64_t>(bitmap->height) : bitmap->height;
  if (row_from_top >= rows) return nullptr;
  const int64_t stored = bitmap->height < 0 ? row_from_top : rows - 1 - row_from_top;
  return bitmap->pixels + static_cast<uint64_t>(stored) * bitmap->pitch;
}

Icon* CreateIconFromBitmapData(const uint8_t* data, uint32_t size) {
  if (!data || size < 40) return nullptr;
  const uint32_t header_size = U32(data);
  const auto width = static_cast<int32_t>(U32(data + 4));
  const auto both_heights = static_cast<int32_t>(U32(data + 8));
  const int bits = U16(data + 14);
  const uint32_t compression = U32(data + 16);
  const uint32_t colors_used = U32(data + 32);
  if (header_size < 40 || header_size > size || width < 1 || both_heights < 2 || compression != 0) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
  const int32_t height = both_heights / 2;

  uint32_t table_entries = 0;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    table_entries = colors_used != 0 && colors_used < full ? colors_used : full;
  }
  const uint64_t table_offset = header_size;
  const uint64_t color_offset = table_offset + uint64_t{table_entries} * 4;
  const uint64_t color_pitch = static_cast<uint64_t>(BitmapRowPitch(width, bits));
  const uint64_t mask_pitch = static_cast<uint64_t>(BitmapRowPitch(width, 1));
  // The sizes come from the file: add them up without letting any sum wrap.
  uint64_t color_bytes, mask_bytes, mask_offset, end;
  if (__builtin_mul_overflow(color_pitch, static_cast<uint64_t>(height), &color_bytes) ||
      __builtin_mul_overflow(mask_pitch, static_cast<uint64_t>(height), &mask_bytes) ||
      __builtin_add_overflow(color_offset, color_bytes, &mask_offset) ||
      __builtin_add_overflow(mask_offset, mask_bytes, &end))
    return nullptr;
  if (mask_offset > size) return nullptr;
  // The transparency rows may be left out only where the alpha bytes can stand in for them.
  const bool has_mask = end <= size;
  if (!has_mask && bits != 32) return nullptr;

  Bitmap* color = CreateBitmap(width, height, 32);
  if (!color) return nullptr;
  const uint8_t* table = data + table_offset;
  bool any_alpha = false;
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* src = data + color_offset + static_cast<uint64_t>(r) * color_pitch;
    uint8_t* dst = color->pixels + static_cast<uint64_t>(r) * color->pitch;
    for (int64_t x = 0; x < width; ++x) {
      IconPixel(src, x, bits, table, table_entries, dst + x * 4);
      if (bits == 32) {
        dst[x * 4 + 3] = src[x * 4 + 3];
        any_alpha |= src[x * 4 + 3] != 0;
      }
    }
  }
  if (!any_alpha) {
    for (int32_t r = 0; r < height; ++r) {
      const uint8_t* mask = data + mask_offset + static_cast<uint64_t>(r) * mask_pitch;
      uint8_t* dst = color->pixels + static_cast<uint64_t>(r) * color->pitch;
      for (int64_t x = 0; x < width; ++x) {
        const bool transparent = has_mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
        dst[x * 4 + 3] = transparent ? 0 : 255;
      }
    }
  }
  return CreateIconFromBitmap(color);
}

Icon* CreateIconFromBitmap(Bitmap* color) {
  if (!color) return nullptr;
  if (color->bits_per_pixel != 32) {
    Bitmap* wide = CreateBitmap(color->width, color->height, 32);
    if (!wide) {
      DeleteBitmap(color);
      return nullptr;
    }
    const int64_t rows = color->height < 0 ? -static_cast<int64_t>(color->height) : color->height;
    for (int64_t r = 0; r < rows; ++r) {
      const uint8_t* src = color->pixels + static_cast<uint64_t>(r) * color->pitch;
      uint8_t* dst = wide->pixels + static_cast<uint64_t>(r) * wide->pitch;
      for (int64_t x = 0; x < color->width; ++x) {
        std::memcpy(dst + x * 4, src + x * 3, 3);
        dst[x * 4 + 3] = 255;
      }
    }
    DeleteBitmap(color);
    color = wide;
  }
  auto* icon = static_cast<Icon*>(std::calloc(1, sizeof(Icon)));
  if (!icon) {
    DeleteBitmap(color);
    return nullptr;
  }
  icon->kind = GraphicsIcon;
  icon->color = color;
  if (!AttachIconHandle(icon)) {
    DeleteBitmap(color);
    std::free(icon);
    return nullptr;
  }
  return icon;
}

void DestroyIcon(Icon* icon) {
  if (!icon) return;
  ReleaseIconHandle(icon);
  DeleteBitmap(icon->color);
  std::free(icon);
}

void* BitmapNativeHandle(const Bitmap* bitmap) { return bitmap ? bitmap->native : nullptr; }
void* IconNativeHandle(const Icon* icon) { return icon ? icon->native : nullptr; }

uint32_t GraphicsKindOf(const void* handle) {
  if (!handle) return 0;
  uint32_t kind;
  std::memcpy(&kind, handle, sizeof(kind));
  return kind;
}

void DeleteGraphics(void* handle) {
  if (GraphicsKindOf(handle) == GraphicsBitmap)
    DeleteBitmap(static_cast<Bitmap*>(handle));
  else if (handle)
    DestroyIcon(static_cast<Icon*>(handle));
}

int64_t LiveGraphicsObjects() { return g_live; }

void SetBitmapByteLimit(uint64_t bytes) { g_limit = bytes < kBitmapMaxBytes ? bytes : kBitmapMaxBytes; }

}  // namespace platform
