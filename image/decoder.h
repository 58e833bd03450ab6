// The contract between the image library and its decoders: one static ImageDecoder record per
// format, tried in registration order against the one DecoderState of the process.
#pragma once

#include <cstdint>

namespace image {

struct ImageDecoder;

// Destination rows are stored bottom row first (as in a bitmap of positive height); without this
// flag the top row comes first.
constexpr uint32_t DecodeBottomUp = 2;

struct DecoderState {
  const ImageDecoder* decoder;  // the decoder that accepted the current data
  const uint8_t* data;          // first encoded byte
  int32_t size;                 // encoded byte count
  int32_t width;                // pixels, as the accepting decoder reports them
  int32_t height;
  int32_t depth;                              // bits per pixel of the decoded rows: 24 or 32
  alignas(8) unsigned char private_area[64];  // the accepting decoder's own; zeroed before each check
  int32_t source_depth;                       // bits per pixel of the encoded data (informational)
  int32_t frame_count;                        // 1 unless the decoder says otherwise
  int32_t frame_delay;                        // milliseconds, of the frame decoded last
  // Non-zero when the state serves a measurement: only whether and at what size the image loads
  // counts, so a check may leave out what shapes the pixels alone (their format, their order).
  int32_t measuring;
};

struct ImageDecoder {
  // Non-zero when the decoder accepts the data; fills width, height, depth, source depth and, where
  // it has one, the frame count. A check that rejects leaves nothing allocated.
  int (*check)(DecoderState* state);
  // Decodes the next frame into rows of `pitch` bytes; non-zero on success.
  int (*decode)(DecoderState* state, uint8_t* rows, uint32_t pitch, uint32_t flags);
  // Frees everything the decoder holds for the state.
  void (*release)(DecoderState* state, const ImageDecoder* decoder);
  uint32_t tag;  // format identifier, little-endian bytes in memory
  // Optional. Decides whether decode of the next frame would succeed, as decode itself would
  // decide it, without writing any pixel; non-zero when it would. Without it a measurement decodes
  // into a bitmap of its own.
  int (*measure)(DecoderState* state);
  // Optional. The most memory, in bytes, that checking this data and measuring its image takes, as
  // its headers tell it before any of it is taken; 0 for data that is not this decoder's or that the
  // check refuses at its headers. Without it the decoder counts as taking none.
  uint64_t (*memory)(const uint8_t* data, int32_t size);
};

// Tags as little-endian 32-bit numbers.
constexpr uint32_t kTagBmp = 0x00504D42;   // "BMP\0"
constexpr uint32_t kTagPng = 0x00474E50;   // "PNG\0"
constexpr uint32_t kTagJpeg = 0x4745504A;  // "JPEG"
constexpr uint32_t kTagGif = 0x00474946;   // "FIG\0": spells GIF from the high byte down
constexpr uint32_t kTagIcon = 0x4E4F4349;  // "ICON"

// A state of its own over `data`, for reading its headers apart from any load or measurement.
inline DecoderState StateOver(const uint8_t* data, int32_t size) {
  DecoderState state{};
  state.data = data;
  state.size = size;
  state.frame_count = 1;
  return state;
}

// The private area as a decoder's own plain struct.
template <typename Private>
Private* PrivateOf(DecoderState* state) {
  static_assert(sizeof(Private) <= sizeof(DecoderState::private_area), "private area holds 64 bytes");
  static_assert(alignof(Private) <= 8);
  return reinterpret_cast<Private*>(state->private_area);
}

}  // namespace image
