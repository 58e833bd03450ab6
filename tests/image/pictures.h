// Test pictures: a writer for bitmap and icon files with every header field under the test's
// control, a PNG reader (libpng, for the fixtures' twins) and pixel access to decoded bitmaps.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace testpictures {

inline void PutU16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
inline void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void AppendU16(std::string& s, uint16_t v) {
  s.append(2, '\0');
  PutU16(s, s.size() - 2, v);
}
inline void AppendU32(std::string& s, uint32_t v) {
  s.append(4, '\0');
  PutU32(s, s.size() - 4, v);
}

// Packs rows of pixel values (top row first) into stored rows, bottom row first unless `top_down`,
// each padded to 4 bytes. Values are palette indices at 1, 4 and 8 bits, the raw 16-bit word at 16,
// and 0xAARRGGBB at 24 and 32 bits (stored blue, green, red, alpha).
inline std::string PackRows(const std::vector<std::vector<uint32_t>>& rows, int bits, bool top_down = false) {
  std::string out;
  const size_t n = rows.size();
  for (size_t i = 0; i < n; ++i) {
    const auto& row = rows[top_down ? i : n - 1 - i];
    std::string packed;
    if (bits < 8) {
      packed.assign((row.size() * bits + 7) / 8, '\0');
      for (size_t x = 0; x < row.size(); ++x) {
        const size_t bit = x * bits;
        packed[bit / 8] = static_cast<char>(packed[bit / 8] | (row[x] << (8 - bits - bit % 8)));
      }
    } else {
      for (uint32_t v : row) {
        for (int b = 0; b < bits / 8; ++b) packed += static_cast<char>((v >> (8 * b)) & 0xFF);
      }
    }
    packed.append((4 - packed.size() % 4) % 4, '\0');
    out += packed;
  }
  return out;
}

struct BmpFile {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t info_size = 40;          // header bytes before the colour table
  std::vector<uint32_t> palette;    // 0x00RRGGBB
  std::string pixels;               // stored rows or an RLE stream
  int64_t pixel_offset = -1;        // -1: right after the colour table
  uint16_t reserved1 = 0, reserved2 = 0;
};

inline std::string MakeBmp(const BmpFile& f) {
  const uint32_t table = 14 + f.info_size;
  const uint32_t offset = f.pixel_offset >= 0 ? static_cast<uint32_t>(f.pixel_offset)
                                              : table + static_cast<uint32_t>(f.palette.size() * 4);
  std::string s(14 + f.info_size, '\0');
  s[0] = 'B';
  s[1] = 'M';
  PutU16(s, 6, f.reserved1);
  PutU16(s, 8, f.reserved2);
  PutU32(s, 10, offset);
  PutU32(s, 14, f.info_size);
  PutU32(s, 18, static_cast<uint32_t>(f.width));
  PutU32(s, 22, static_cast<uint32_t>(f.height));
  PutU16(s, 26, 1);
  PutU16(s, 28, f.bits);
  PutU32(s, 30, f.compression);
  for (uint32_t c : f.palette) AppendU32(s, c);
  if (s.size() < offset) s.resize(offset, '\0');
  s += f.pixels;
  PutU32(s, 2, static_cast<uint32_t>(s.size()));
  return s;
}

// One entry's bitmap data inside an icon file: info header (height counting both halves), colour
// table, colour rows and transparency rows, both bottom row first.
inline std::string MakeIconBitmap(int32_t width, int32_t height, uint16_t bits, const std::vector<uint32_t>& palette,
                                  const std::vector<std::vector<uint32_t>>& colors,
                                  const std::vector<std::vector<uint32_t>>& mask) {
  std::string s(40, '\0');
  PutU32(s, 0, 40);
  PutU32(s, 4, static_cast<uint32_t>(width));
  PutU32(s, 8, static_cast<uint32_t>(height * 2));
  PutU16(s, 12, 1);
  PutU16(s, 14, bits);
  PutU32(s, 32, static_cast<uint32_t>(palette.size()));  // colours used
  for (uint32_t c : palette) AppendU32(s, c);
  s += PackRows(colors, bits);
  s += PackRows(mask, 1);
  return s;
}

struct IconEntry {
  uint8_t width, height;
  uint16_t bits;
  std::string data;
};

// An icon file (type 1) or a cursor file (type 2) with the entries' data after the directory.
inline std::string MakeIconFile(const std::vector<IconEntry>& entries, uint16_t type = 1) {
  std::string s;
  AppendU16(s, 0);
  AppendU16(s, type);
  AppendU16(s, static_cast<uint16_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const auto& e : entries) {
    s += static_cast<char>(e.width);
    s += static_cast<char>(e.height);
    s += '\0';
    s += '\0';
    AppendU16(s, 1);
    AppendU16(s, e.bits);
    AppendU32(s, static_cast<uint32_t>(e.data.size()));
    AppendU32(s, offset);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const auto& e : entries) s += e.data;
  return s;
}

// A picture as 0xAARRGGBB values, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// Reads a PNG with libpng into 8-bit RGBA; an empty picture when it cannot.
inline Picture ReadPng(const std::string& path) {
  Picture p;
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    png_image_free(&image);
    return p;
  }
  p.width = static_cast<int>(image.width);
  p.height = static_cast<int>(image.height);
  p.argb.resize(static_cast<size_t>(p.width) * p.height);
  for (size_t i = 0; i < p.argb.size(); ++i) {
    const uint8_t* b = &bytes[i * 4];
    p.argb[i] = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  }
  return p;
}

// Pixel (x, y from the top) of a bitmap as 0xAARRGGBB; alpha is 0 at 24 bits.
inline uint32_t PixelAt(const platform::Bitmap* bitmap, int x, int y) {
  const uint8_t* row = platform::BitmapRow(bitmap, y);
  const int step = bitmap->bits_per_pixel / 8;
  const uint8_t* p = row + x * step;
  const uint32_t alpha = step == 4 ? p[3] : 0;
  return p[0] | p[1] << 8 | p[2] << 16 | alpha << 24;
}

// The bytes of a bitmap row past its last pixel (padding), which no decoder may write.
inline bool PaddingIsZero(const platform::Bitmap* bitmap) {
  const int64_t rows = bitmap->height < 0 ? -static_cast<int64_t>(bitmap->height) : bitmap->height;
  const size_t used = static_cast<size_t>(bitmap->width) * (bitmap->bits_per_pixel / 8);
  for (int64_t r = 0; r < rows; ++r) {
    const uint8_t* row = bitmap->pixels + r * bitmap->pitch;
    for (size_t i = used; i < bitmap->pitch; ++i)
      if (row[i] != 0) return false;
  }
  return true;
}

}  // namespace testpictures
