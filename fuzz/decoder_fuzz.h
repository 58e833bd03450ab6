// Shared body of the image fuzz targets: arbitrary bytes go through LoadImageMemory, behind one size
// gate, and every pixel of what it makes is read.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "image/decoder.h"
#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"

namespace fuzzing {

// A few bytes can declare a picture of gigabytes, which would measure the fuzzer's memory limit
// rather than the decoder. An input whose frame would pass this many pixels is only checked, not
// loaded; smaller pictures exercise the same row arithmetic.
constexpr uint64_t kMaxLoadedPixels = uint64_t{1} << 22;

// Bitmap limit and image budget while fuzzing: frames past the budget keep empty handles, as they
// do in the program past its 2 GiB, only after a few milliseconds instead of seconds.
constexpr uint64_t kFuzzBitmapBytes = uint64_t{16} << 20;

inline void LowerMemoryLimits() {
  platform::SetBitmapByteLimit(kFuzzBitmapBytes);
  image::SetImageByteBudget(kFuzzBitmapBytes);
}

// The image library as the program starts it, once: the icon test first, then the BMP, PNG, JPEG and
// GIF decoders in that order; with the lowered limits.
inline void StartImageLibrary() {
  static const bool started = [] {
    image::InitImageLibrary();
    image::UsePngDecoder();
    image::UseJpegDecoder();
    image::UseGifDecoder();
    LowerMemoryLimits();
    return true;
  }();
  (void)started;
}

// False when the decoder that the loader would choose accepts the data with frames too large to
// load. Data that no decoder takes (icon files among them, whose bitmaps the lowered bitmap limit
// bounds) passes.
inline bool PassesSizeGate(const uint8_t* data, int32_t count) {
  if (image::OpenDecoder(data, count) == 0) return true;
  const image::DecoderState* probe = image::CurrentDecoderState();
  const uint64_t width = probe->width > 0 ? uint64_t(probe->width) : 0;
  const uint64_t height = probe->height < 0 ? 0 - uint64_t(int64_t{probe->height}) : uint64_t(probe->height);
  image::CloseDecoder();
  return width * height <= kMaxLoadedPixels;
}

// The bitmap behind a frame's handle (an icon's colour bitmap), or nullptr.
inline const platform::Bitmap* BitmapOf(const void* handle) {
  switch (platform::GraphicsKindOf(handle)) {
    case platform::GraphicsBitmap: return static_cast<const platform::Bitmap*>(handle);
    case platform::GraphicsIcon: return static_cast<const platform::Icon*>(handle)->color;
    default: return nullptr;
  }
}

// Every pixel of every frame is read, so a row the decoder left short or wrote past shows.
inline void ReadEveryPixel(const image::ImageObject* record) {
  const int32_t frames = record->frame_count >= 2 ? record->frame_count : 1;
  unsigned sum = 0;
  for (int32_t f = 0; f < frames; ++f) {
    const platform::Bitmap* bitmap = BitmapOf(frames >= 2 ? record->frames[f].bitmap : record->handle);
    if (bitmap == nullptr) continue;
    const size_t row_bytes = size_t(bitmap->width) * size_t(bitmap->bits_per_pixel / 8);
    const int64_t rows = bitmap->height < 0 ? -int64_t{bitmap->height} : bitmap->height;
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* row = platform::BitmapRow(bitmap, y);
      for (size_t i = 0; i < row_bytes; ++i) sum += row[i];
    }
  }
  volatile unsigned sink = sum;
  (void)sink;
}

// The PNG, JPEG and GIF targets: one decoder registered after the library's own BMP decoder.
inline int LoadThroughDecoder(const image::ImageDecoder& decoder, void (*use)(), const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    image::InitImageLibrary();
    use();
    LowerMemoryLimits();
    ready = true;
  }
  if (size > INT32_MAX) return 0;
  const auto count = static_cast<int32_t>(size);
  if (!PassesSizeGate(data, count)) return 0;

  const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, data, count);
  if (number != 0) {
    const image::ImageObject* record = image::FindImage(number);
    if (record == nullptr || record->width < 1 || record->height < 1) __builtin_trap();
    if (record->tag == decoder.tag) ReadEveryPixel(record);
    image::ReleaseImage(number);
  }
  return 0;
}

}  // namespace fuzzing
