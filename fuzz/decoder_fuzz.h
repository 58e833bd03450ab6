// Shared body of the PNG, JPEG and GIF fuzz targets: arbitrary bytes go through LoadImageMemory
// with one decoder registered after the library's own BMP decoder.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "image/decoder.h"
#include "image/image.h"
#include "platform/bitmap.h"

namespace fuzzing {

// Inputs that would make bitmaps of more pixels than this (all frames together) are only checked,
// not loaded: a few bytes can declare a picture of gigabytes, which would measure the fuzzer's
// memory limit rather than the decoder. Smaller pictures exercise the same row arithmetic.
constexpr uint64_t kMaxLoadedPixels = uint64_t{1} << 22;

inline int LoadThroughDecoder(const image::ImageDecoder& decoder, void (*use)(), const uint8_t* data,
                              size_t size) {
  static bool ready = false;
  if (!ready) {
    image::InitImageLibrary();
    use();
    ready = true;
  }
  if (size > INT32_MAX) return 0;
  const auto count = static_cast<int32_t>(size);

  image::DecoderState probe{};
  probe.data = data;
  probe.size = count;
  probe.frame_count = 1;
  if (decoder.check(&probe)) {
    uint64_t pixels = uint64_t(probe.width > 0 ? probe.width : 0) * uint64_t(probe.height > 0 ? probe.height : 0) *
                      uint64_t(probe.frame_count > 0 ? probe.frame_count : 1);
    decoder.release(&probe, &decoder);
    if (pixels > kMaxLoadedPixels) return 0;
  }

  const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, data, count);
  if (number != 0) {
    const image::ImageObject* record = image::FindImage(number);
    if (record == nullptr || record->width < 1 || record->height < 1) __builtin_trap();
    if (record->tag == decoder.tag) {
      // Every pixel of every frame is read, so a row the decoder left short or wrote past shows.
      const int32_t frames = record->frame_count >= 2 ? record->frame_count : 1;
      unsigned sum = 0;
      for (int32_t f = 0; f < frames; ++f) {
        auto* bitmap = static_cast<const platform::Bitmap*>(frames >= 2 ? record->frames[f].bitmap : record->handle);
        if (bitmap == nullptr) continue;
        const size_t row_bytes = size_t(bitmap->width) * size_t(bitmap->bits_per_pixel / 8);
        for (int32_t y = 0; y < record->height; ++y) {
          const uint8_t* row = platform::BitmapRow(bitmap, y);
          for (size_t i = 0; i < row_bytes; ++i) sum += row[i];
        }
      }
      volatile unsigned sink = sum;
      (void)sink;
    }
    image::ReleaseImage(number);
  }
  return 0;
}

}  // namespace fuzzing
