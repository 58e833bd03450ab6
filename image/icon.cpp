// Icon files: a directory of entries, each pointing at one picture (bitmap data or a PNG stream).
#include <cstring>

#include "image/image.h"
#include "image/image_internal.h"
#include "platform/bitmap.h"

namespace image {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A PNG entry is decoded by whichever PNG decoder is registered; without one it cannot be built.
platform::Icon* IconFromPng(DecoderState* state, const uint8_t* data, uint32_t size) {
  const ImageDecoder* png = FindRegisteredDecoder(kTagPng);
  if (!png || OpenDecoderWith(state, png, data, static_cast<int32_t>(size)) == 0) return nullptr;
  auto* color = static_cast<platform::Bitmap*>(CreateFrameBitmapOn(state));
  CloseDecoderOn(state);
  return color ? platform::CreateIconFromBitmap(color) : nullptr;
}

// The entry an icon file's bytes choose, or false when they are not an icon file (cursor files
// included) or the entry's data does not lie in them.
bool ChosenEntry(const void* data, int32_t size, const uint8_t** image, uint32_t* length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!bytes || size < 6) return false;
  // Cursor files (type 2) share the layout but are not icons.
  if (U16(bytes) != 0 || U16(bytes + 2) != 1) return false;
  const uint32_t count = U16(bytes + 4);
  const uint64_t directory_end = 6 + uint64_t{count} * 16;
  if (count == 0 || directory_end > static_cast<uint64_t>(size)) return false;

  // Among the entries of entry 0's size, the greatest bit count wins; a tie keeps the earlier one.
  const uint8_t* first = bytes + 6;
  const uint8_t* chosen = first;
  for (uint32_t i = 1; i < count; ++i) {
    const uint8_t* entry = bytes + 6 + i * 16;
    if (entry[0] == first[0] && entry[1] == first[1] && U16(entry + 6) > U16(chosen + 6)) chosen = entry;
  }
  *length = U32(chosen + 8);
  const uint32_t offset = U32(chosen + 12);
  if (*length == 0 || uint64_t{offset} + *length > static_cast<uint64_t>(size)) return false;
  *image = bytes + offset;
  return true;
}

bool IsPng(const uint8_t* image, uint32_t length) {
  return length >= sizeof(kPngSignature) && std::memcmp(image, kPngSignature, sizeof(kPngSignature)) == 0;
}

}  // namespace

void* IconFromMemory(const void* data, int32_t size) { return IconFromMemoryOn(CurrentDecoderState(), data, size); }

void* IconFromMemoryOn(DecoderState* state, const void* data, int32_t size) {
  const uint8_t* image = nullptr;
  uint32_t length = 0;
  if (!ChosenEntry(data, size, &image, &length)) return nullptr;
  if (IsPng(image, length)) return IconFromPng(state, image, length);
  return platform::CreateIconFromBitmapData(image, length);
}

uint64_t IconMemory(const void* data, int32_t size) {
  const uint8_t* image = nullptr;
  uint32_t length = 0;
  if (!ChosenEntry(data, size, &image, &length)) return 0;
  const auto bitmap = [](int32_t width, int32_t height, int32_t depth) -> uint64_t {
    return platform::BitmapFits(width, height, depth)
               ? static_cast<uint64_t>(RowPitch(width, depth)) *
                     static_cast<uint64_t>(height < 0 ? -int64_t{height} : height)
               : 0;
  };
  if (!IsPng(image, length)) {
    // A 32-bit bitmap of the entry's width and half its height.
    if (length < 12) return 0;
    return bitmap(static_cast<int32_t>(U32(image + 4)), static_cast<int32_t>(U32(image + 8)) / 2, 32);
  }
  // The PNG's bitmap, decoded, and the 32-bit one it is widened into while it is still there.
  const ImageDecoder* png = FindRegisteredDecoder(kTagPng);
  DecoderState state{};
  if (!png || OpenDecoderWith(&state, png, image, static_cast<int32_t>(length)) == 0) return 0;
  const uint64_t bytes = (png->memory ? png->memory(image, static_cast<int32_t>(length)) : 0) +
                         bitmap(state.width, state.height, state.depth) +
                         (state.depth == 32 ? 0 : bitmap(state.width, state.height, 32));
  CloseDecoderOn(&state);
  return bytes;
}

}  // namespace image
