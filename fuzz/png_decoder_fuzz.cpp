// Arbitrary bytes through the image loader with the PNG decoder registered.
#include "fuzz/decoder_fuzz.h"
#include "image/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzzing::LoadThroughDecoder(image::kPngDecoder, image::UsePngDecoder, data, size);
}
