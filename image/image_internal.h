// Shared between the loader and the icon builder; not part of the library's interface.
#pragma once

#include <cstdint>

#include "image/decoder.h"

namespace image {

// The decoder state's operations on a given state, so that a measurement can work on a state of its
// own while the process's state serves loads.
uint32_t OpenDecoderOn(DecoderState* state, const void* data, int32_t size, bool measuring);
void* CreateFrameBitmapOn(DecoderState* state);
void CloseDecoderOn(DecoderState* state);

// How many frame bitmaps of the open state's size fit in one image's byte budget.
int64_t FramesWithinBudget(const DecoderState* state);

// Opens the state with one given decoder only; its tag, or 0 when it rejects the data.
uint32_t OpenDecoderWith(DecoderState* state, const ImageDecoder* decoder, const void* data, int32_t size);

// As IconFromMemory, building a PNG entry on the given state.
void* IconFromMemoryOn(DecoderState* state, const void* data, int32_t size);

// The bitmaps that building the icon of an icon file's bytes takes, with a PNG entry's decoding; 0
// when the bytes are not an icon file.
uint64_t IconMemory(const void* data, int32_t size);

// The registered decoder at `index` (0 to RegisteredDecoderCount() - 1), in registration order.
const ImageDecoder* RegisteredDecoder(int32_t index);

}  // namespace image
