// Feeds arbitrary bytes to the image loader: the icon test, the BMP decoder and the bitmaps they
// make. Any read outside the input or the bitmaps is a finding.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "image/image.h"
#include "platform/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    image::InitImageLibrary();
    // Pictures up to 16 MiB still take every path; larger ones only take longer.
    platform::SetBitmapByteLimit(uint64_t{16} << 20);
    return true;
  }();
  (void)ready;
  if (size > INT32_MAX) return 0;
  const auto count = static_cast<int32_t>(size);
  // Once into a new number and once into a fixed one that already holds the previous input's image,
  // so that reuse frees what it held.
  const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, data, count);
  if (number != 0) {
    const image::ImageObject* record = image::FindImage(number);
    if (!record || image::ImagePixelWidth(number) < 1 || image::ImagePixelHeight(number) < 1) __builtin_trap();
    image::ReleaseImage(number);
  }
  image::LoadImageMemory(7, data, count);
  return 0;
}
