// The BMP decoder: bitmap files of 1, 4, 8 (plain or RLE8), 16, 24 and 32 bits per pixel, converted
// to rows of 24 bits, or of 32 bits when a 32-bit file carries alpha. It uses no outside library.
//
// The files are hostile: every read is checked against the byte count, and every size computed from
// header fields is computed in 64 bits.
#include <climits>
#include <cstring>

#include "image/image.h"
#include "image/image_internal.h"
#include "platform/bitmap.h"

namespace image {
namespace {

struct BmpPrivate {
  const uint8_t* data;
  int64_t size;
  int32_t top_down;  // rows stored top row first (negative height in the header)
};

constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kMinimumSize = 54;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

int CheckBmp(DecoderState* state) {
  const uint8_t* d = state->data;
  if (!d || state->size < kMinimumSize) return 0;
  if (d[0] != 'B' || d[1] != 'M' || U16(d + 6) != 0 || U16(d + 8) != 0) return 0;
  const int32_t width = I32(d + 18);
  int32_t height = I32(d + 22);
  // A top-down file (negative height) keeps its real, positive height; the rows are turned round
  // while decoding. The most negative height has no positive counterpart and names no picture.
  if (height == INT32_MIN) return 0;
  const bool top_down = height < 0;
  if (top_down) height = -height;
  const int bits = U16(d + 28);

  state->width = width;
  state->height = height;
  state->source_depth = bits;
  state->depth = 24;
  // A 32-bit file is 32-bit on screen only when some pixel's fourth byte is set: many writers leave
  // that byte 0, which would otherwise show the picture fully transparent.
  if (bits == 32 && width > 0 && height > 0) {
    const int64_t offset = I32(d + 10);
    uint64_t end;
    if (offset >= 0 && !__builtin_mul_overflow(static_cast<uint64_t>(width) * 4, static_cast<uint64_t>(height), &end) &&
        !__builtin_add_overflow(end, static_cast<uint64_t>(offset), &end) &&
        end <= static_cast<uint64_t>(state->size)) {
      for (uint64_t at = static_cast<uint64_t>(offset) + 3; at < end; at += 4) {
        if (d[at] != 0) {
          state->depth = 32;
          break;
        }
      }
    }
  }
  auto* priv = PrivateOf<BmpPrivate>(state);
  priv->data = d;
  priv->size = state->size;
  priv->top_down = top_down;
  return 1;
}

// Where decoded pixels go: the picture rows mapped onto the destination's order.
struct Destination {
  uint8_t* rows;
  uint32_t pitch;
  int64_t width;
  int64_t height;
  int bytes_per_pixel;  // 3 or 4
  bool bottom_up;
  bool top_down_source;

  // Stored row `r` of the file (0 = first stored row).
  uint8_t* Row(int64_t r) const {
    const int64_t from_bottom = top_down_source ? height - 1 - r : r;
    const int64_t row = bottom_up ? from_bottom : height - 1 - from_bottom;
    return rows + static_cast<uint64_t>(row) * pitch;
  }
};

// The colour table as blue, green, red triples; entries that lie beyond the data stay black.
struct Palette {
  uint8_t bgr[256][3];

  void Load(const uint8_t* data, int64_t size) {
    std::memset(bgr, 0, sizeof(bgr));
    const int64_t table = kFileHeaderSize + static_cast<int64_t>(U32(data + 14));
    for (int64_t i = 0; i < 256; ++i) {
      const int64_t at = table + i * 4;
      if (at + 3 > size) break;
      std::memcpy(bgr[i], data + at, 3);
    }
  }
};

void Put(uint8_t* row, int64_t x, int bytes_per_pixel, const uint8_t* bgr) {
  std::memcpy(row + x * bytes_per_pixel, bgr, 3);
}

int DecodeRle8(const uint8_t* d, int64_t size, const Destination& out, const Palette& palette) {
  int64_t pos = I32(d + 10);
  // A pixel offset before the data names no stream: the file fails.
  if (pos < 0) return 0;
  int64_t x = 0, y = 0;
  const auto put = [&](int64_t px, uint8_t index) {
    if (px >= 0 && px < out.width && y < out.height) Put(out.Row(y), px, out.bytes_per_pixel, palette.bgr[index]);
  };
  // Every step consumes at least two bytes, so the walk ends by the end of the data.
  for (;;) {
    if (pos > size - 2) return 0;
    const uint8_t n = d[pos], c = d[pos + 1];
    pos += 2;
    if (n > 0) {
      for (int k = 0; k < n; ++k) put(x + k, c);
      x += n;
    } else if (c == 0) {
      ++y;
      x = 0;
    } else if (c == 1) {
      return 1;
    } else if (c == 2) {
      if (pos > size - 2) return 0;
      x += d[pos];
      y += d[pos + 1];
      pos += 2;
    } else {
      if (c > size - pos) return 0;
      for (int k = 0; k < c; ++k) put(x + k, d[pos + k]);
      pos += c + (c & 1);
      x += c;
    }
  }
}

int DecodeBmp(DecoderState* state, uint8_t* rows, uint32_t pitch, uint32_t flags) {
  const auto* priv = PrivateOf<BmpPrivate>(state);
  const uint8_t* d = priv->data;
  const int64_t size = priv->size;
  const int bits = U16(d + 28);
  const uint32_t compression = U32(d + 30);
  Destination out;
  out.rows = rows;
  out.pitch = pitch;
  out.width = state->width;
  out.height = state->height;
  out.bytes_per_pixel = state->depth == 32 ? 4 : 3;
  out.bottom_up = (flags & DecodeBottomUp) != 0;
  out.top_down_source = priv->top_down != 0;
  Palette palette;
  if (bits == 4 || bits == 8) palette.Load(d, size);

  if (bits == 8 && compression == 1) return DecodeRle8(d, size, out, palette);
  if (out.width <= 0 || out.height <= 0) return 1;

  int64_t row_bytes;  // bytes read from each stored row
  switch (bits) {
    case 1: row_bytes = (out.width + 7) / 8; break;
    case 4: row_bytes = compression == 2 ? 0 : (out.width + 1) / 2; break;
    case 8: row_bytes = out.width; break;
    case 16: row_bytes = compression == 0 || compression == 3 ? out.width * 2 : 0; break;
    case 24: row_bytes = out.width * 3; break;
    case 32: row_bytes = out.width * 4; break;
    default: row_bytes = 0; break;
  }
  // RLE4, 16-bit files with other compressions and other depths keep the black of a new bitmap.
  if (row_bytes == 0) return 1;
  const int64_t stride = (row_bytes + 3) / 4 * 4;

  int64_t start = I32(d + 10);
  // A pixel offset before the data names no rows: the file fails.
  if (start < 0) return 0;
  static const uint8_t kBlack[3] = {0, 0, 0}, kWhite[3] = {255, 255, 255};
  for (int64_t r = 0; r < out.height; ++r, start += stride) {
    if (start > size || row_bytes > size - start) return 0;
    const uint8_t* src = d + start;
    uint8_t* dst = out.Row(r);
    const int step = out.bytes_per_pixel;
    switch (bits) {
      case 1:
        // Black and white whatever the colour table says.
        for (int64_t x = 0; x < out.width; ++x) Put(dst, x, step, (src[x >> 3] >> (7 - (x & 7))) & 1 ? kWhite : kBlack);
        break;
      case 4:
        for (int64_t x = 0; x < out.width; ++x)
          Put(dst, x, step, palette.bgr[(x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4]);
        break;
      case 8:
        for (int64_t x = 0; x < out.width; ++x) Put(dst, x, step, palette.bgr[src[x]]);
        break;
      case 16:
        for (int64_t x = 0; x < out.width; ++x) {
          const unsigned v = U16(src + x * 2);
          uint8_t bgr[3];
          bgr[0] = static_cast<uint8_t>((v & 31) * 8);
          if (compression == 3) {  // 5-6-5, whatever masks the header gives
            bgr[1] = static_cast<uint8_t>(((v >> 5) & 63) * 4);
            bgr[2] = static_cast<uint8_t>((v >> 11) * 8);
          } else {  // 5-5-5, top bit unused
            bgr[1] = static_cast<uint8_t>(((v >> 5) & 31) * 8);
            bgr[2] = static_cast<uint8_t>(((v >> 10) & 31) * 8);
          }
          Put(dst, x, step, bgr);
        }
        break;
      case 24:
        for (int64_t x = 0; x < out.width; ++x) Put(dst, x, step, src + x * 3);
        break;
      case 32:
        if (step == 4)
          std::memcpy(dst, src, static_cast<size_t>(row_bytes));
        else
          for (int64_t x = 0; x < out.width; ++x) Put(dst, x, step, src + x * 4);
        break;
    }
  }
  return 1;
}

void ReleaseBmp(DecoderState*, const ImageDecoder*) {}

// Without a decoder's measure a measurement decodes into a bitmap of its own: that bitmap, when the
// load would make it. The check takes nothing.
uint64_t BmpMemory(const uint8_t* data, int32_t size) {
  DecoderState state = StateOver(data, size);
  if (!CheckBmp(&state) || FramesWithinBudget(&state) < 1 ||
      !platform::BitmapFits(state.width, state.height, state.depth))
    return 0;
  return static_cast<uint64_t>(RowPitch(state.width, state.depth)) * static_cast<uint64_t>(state.height);
}

const ImageDecoder kBmpDecoder = {CheckBmp, DecodeBmp, ReleaseBmp, kTagBmp, nullptr, BmpMemory};

}  // namespace

const ImageDecoder* BmpDecoder() { return &kBmpDecoder; }

}  // namespace image
