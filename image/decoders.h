// The PNG, JPEG and GIF decoders: adapters from the decoder record to libpng, libjpeg and giflib.
//
// The records are visible so that tests and benchmarks can drive one decoder on its own state;
// the program itself reaches them only through the decoder registry.
#pragma once

#include "image/decoder.h"

namespace image {

extern const ImageDecoder kPngDecoder;
extern const ImageDecoder kJpegDecoder;
extern const ImageDecoder kGifDecoder;

// Each registers its decoder with the image library unless it is registered already, so a decoder
// is tried once however often it is asked for. The program calls them after InitImageLibrary, in
// this order, so the loader tries BMP, PNG, JPEG, GIF.
void UsePngDecoder();
void UseJpegDecoder();
void UseGifDecoder();

}  // namespace image
