// Feeds arbitrary bytes to the image loader as the program sets it up: the icon test first, then
// the BMP, PNG, JPEG and GIF decoders in that order, and the bitmaps they make. Any read outside
// the input or the bitmaps is a finding.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "fuzz/decoder_fuzz.h"
#include "image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::StartImageLibrary();
  if (size > INT32_MAX) return 0;
  const auto count = static_cast<int32_t>(size);
  if (!fuzzing::PassesSizeGate(data, count)) return 0;
  // Once into a new number and once into a fixed one that already holds the previous input's image,
  // so that reuse frees what it held.
  const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, data, count);
  if (number != 0) {
    const image::ImageObject* record = image::FindImage(number);
    if (!record || image::ImagePixelWidth(number) < 1 || image::ImagePixelHeight(number) < 1) __builtin_trap();
    fuzzing::ReadEveryPixel(record);
    image::ReleaseImage(number);
  }
  image::LoadImageMemory(7, data, count);
  return 0;
}
