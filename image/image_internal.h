// Shared between the loader and the icon builder; not part of the library's interface.
#pragma once

#include <cstdint>

#include "image/decoder.h"

namespace image {

// Opens the decoder state with one given decoder only; its tag, or 0 when it rejects the data.
uint32_t OpenDecoderWith(const ImageDecoder* decoder, const void* data, int32_t size);

}  // namespace image
