// A measurement must tell what a load of the same bytes makes: whether an image loads, and at what
// width and height. The scan writes what measurements say, so any difference is a wrong scene line.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "fuzz/decoder_fuzz.h"
#include "image/image.h"
#include "image/measure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::StartImageLibrary();
  if (size > INT32_MAX) return 0;
  const auto count = static_cast<int32_t>(size);
  image::ImageSize measured{};
  const bool measures = image::MeasureImageMemory(data, count, &measured);
  const image::ObjectNumber number = image::LoadImageMemory(image::AnyId, data, count);
  if (measures != (number != 0)) __builtin_trap();
  if (number == 0) return 0;
  if (measured.width != image::ImagePixelWidth(number) || measured.height != image::ImagePixelHeight(number))
    __builtin_trap();
  image::ReleaseImage(number);
  return 0;
}
