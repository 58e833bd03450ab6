// Test pictures: bitmap and icon files with every header field under the test's control, the
// committed fixtures, and pixel access to loaded images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "runtime/text.h"

namespace testpictures {

using Rows = std::vector<std::vector<uint32_t>>;

// Starts the loader, and afterwards checks that every bitmap made, by failed loads too, was given back.
class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image::InitImageLibrary();
    live_before_ = platform::LiveGraphicsObjects();
  }
  void TearDown() override {
    image::ReleaseAllImages();
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_) << "every bitmap is given back";
  }
  int64_t live_before_ = 0;
};

inline void PutU32(std::string& s, size_t at, uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void AppendU32(std::string& s, uint32_t v, int bytes = 4) {
  s.append(bytes, '\0');
  PutU32(s, s.size() - bytes, v, bytes);
}
inline std::string Patched(std::string s, size_t at, uint32_t v, int bytes = 4) {
  PutU32(s, at, v, bytes);
  return s;
}

// Rows of pixel values (top row first) as stored rows, bottom row first, each padded to 4 bytes:
// palette indices below 8 bits, else the value's low bytes (0xAARRGGBB).
inline std::string PackRows(const Rows& rows, int bits) {
  std::string out;
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[rows.size() - 1 - i];
    std::string packed((row.size() * bits + 7) / 8, '\0');
    for (size_t x = 0; x < row.size(); ++x) {
      const size_t bit = x * bits;
      if (bits < 8)
        packed[bit / 8] = static_cast<char>(packed[bit / 8] | (row[x] << (8 - bits - bit % 8)));
      else
        PutU32(packed, bit / 8, row[x], bits / 8);
    }
    out += packed + std::string((4 - packed.size() % 4) % 4, '\0');
  }
  return out;
}

struct BmpFile {
  int32_t width = 0, height = 0;
  uint16_t bits = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::string pixels;             // stored rows or an RLE stream
};

inline std::string MakeBmp(const BmpFile& f) {
  std::string s = "BM";
  for (uint32_t v : {0u, 0u, 54u + 4 * static_cast<uint32_t>(f.palette.size()), 40u, static_cast<uint32_t>(f.width),
                     static_cast<uint32_t>(f.height), 1u | uint32_t{f.bits} << 16, f.compression, 0u, 0u, 0u, 0u, 0u})
    AppendU32(s, v);
  for (uint32_t c : f.palette) AppendU32(s, c);
  s += f.pixels;
  PutU32(s, 2, static_cast<uint32_t>(s.size()));
  return s;
}

// One entry's bitmap data inside an icon file: info header (height counting both halves), colour
// table, colour rows and transparency rows, all opaque.
inline std::string MakeIconBitmap(int32_t width, int32_t height, uint16_t bits, const std::vector<uint32_t>& palette,
                                  const Rows& colors) {
  std::string s;
  for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height * 2), 1u | uint32_t{bits} << 16,
                     0u, 0u, 0u, 0u, static_cast<uint32_t>(palette.size()), 0u})
    AppendU32(s, v);
  for (uint32_t c : palette) AppendU32(s, c);
  return s + PackRows(colors, bits) + PackRows(Rows(colors.size(), std::vector<uint32_t>(colors[0].size(), 0)), 1);
}

struct IconEntry {
  uint8_t width, height;
  uint16_t bits;
  std::string data;
};

// An icon file with the entries' data after the directory.
inline std::string MakeIconFile(const std::vector<IconEntry>& entries) {
  std::string s;
  AppendU32(s, 1u << 16);
  AppendU32(s, static_cast<uint32_t>(entries.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const auto& e : entries) {
    for (uint32_t v : {uint32_t{e.width} | uint32_t{e.height} << 8, 1u | uint32_t{e.bits} << 16,
                       static_cast<uint32_t>(e.data.size()), offset})
      AppendU32(s, v);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const auto& e : entries) s += e.data;
  return s;
}

inline std::string Fixture(const std::string& name) { return std::string(SB_IMAGE_FIXTURES) + "/" + name; }
inline std::u16string FixturePath(const std::string& name) { return runtime::TextFromUtf8(Fixture(name)); }

inline image::ObjectNumber Load(const std::string& bytes) {
  return image::LoadImageMemory(image::AnyId, bytes.data(), static_cast<int32_t>(bytes.size()));
}

// Pixel (x, y from the top) of a loaded image, for an icon of its colour bitmap, as 0xAARRGGBB;
// alpha is 0 at 24 bits.
inline uint32_t PixelAt(image::ObjectNumber number, int x, int y) {
  const image::ImageObject* record = image::FindImage(number);
  const auto* bitmap = static_cast<const platform::Bitmap*>(record->handle);
  if (record->tag == image::kTagIcon) bitmap = static_cast<const platform::Icon*>(record->handle)->color;
  const int step = bitmap->bits_per_pixel / 8;
  const uint8_t* p = platform::BitmapRow(bitmap, y) + x * step;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(step == 4 ? p[3] : 0) << 24;
}

}  // namespace testpictures
