// Measuring an image: what a load would tell (does the file load, and at what width and height)
// without keeping any bitmap. The outcome is the load's: the same icon test, the same decoders in
// the same order, the same size rules, the same failures; only work that cannot change it (pixels
// nobody looks at, frames after the first) is left out.
//
// Unlike loads, measurements may run on several threads at once: each works on a decoder state of
// its own and only reads the decoder registry, which is filled at start-up before any of them.
#pragma once

#include <cstdint>
#include <string>

namespace image {

struct ImageSize {
  int32_t width;
  int32_t height;
};

// True with the size that LoadImageMemory's image would report; false where that load returns 0.
bool MeasureImageMemory(const void* data, int32_t size, ImageSize* out);

// As MeasureImageMemory over the file that LoadImageFile would read, read once.
bool MeasureImageFile(const std::u16string& path, ImageSize* out);

// The most memory, in bytes, that MeasureImageMemory takes for these bytes, the bytes themselves
// included, as their headers tell it before any of it is taken: what the decoder keeps, and any
// bitmap the measurement makes. Lets several measurements at once keep their sum bounded.
uint64_t MeasurementMemory(const void* data, int32_t size);

// The whole of a regular file below 2 GiB as LoadImageFile reads it (once, under a shared lock), in
// a block to release with std::free; nullptr when it cannot be opened or read in full.
uint8_t* ReadImageFileBytes(const std::u16string& path, int32_t* size);

}  // namespace image
