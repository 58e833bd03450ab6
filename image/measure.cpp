#include "image/measure.h"

#include <algorithm>
#include <cstdlib>

#include "image/image.h"
#include "image/image_internal.h"
#include "platform/bitmap.h"
#include "runtime/heap.h"

namespace image {
namespace {

// Would the load's frame 0 be made? The same conditions as the bitmap it would create and decode,
// decided by the decoder's measure where it has one.
bool FirstFrameLoads(DecoderState* state) {
  if (state->frame_count >= 2) {
    uint64_t bytes;
    if (!runtime::SizeProduct(static_cast<uint64_t>(state->frame_count), sizeof(FrameEntry), &bytes)) return false;
  }
  if (FramesWithinBudget(state) < 1) return false;
  if (!platform::BitmapFits(state->width, state->height, state->depth)) return false;
  if (state->decoder->measure) return state->decoder->measure(state) != 0;
  void* bitmap = CreateFrameBitmapOn(state);
  platform::DeleteGraphics(bitmap);
  return bitmap != nullptr;
}

}  // namespace

bool MeasureImageMemory(const void* data, int32_t size, ImageSize* out) {
  // A load needs the library started; so does a measurement, to give the same answer.
  if (!data || size <= 0 || CurrentDecoderState() == nullptr) return false;
  DecoderState state{};
  if (auto* icon = static_cast<platform::Icon*>(IconFromMemoryOn(&state, data, size))) {
    out->width = icon->color->width;
    out->height = icon->color->height;
    platform::DestroyIcon(icon);
    return true;
  }
  if (OpenDecoderOn(&state, data, size, true) == 0) return false;
  const ImageSize measured = {state.width, state.height};
  const bool loads = FirstFrameLoads(&state);
  CloseDecoderOn(&state);
  if (loads) *out = measured;
  return loads;
}

uint64_t MeasurementMemory(const void* data, int32_t size) {
  if (!data || size <= 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  // The icon test and the decoders know their data by different signatures, so at most one of them
  // counts anything: the largest figure is that one's.
  uint64_t most = IconMemory(bytes, size);
  for (int32_t i = 0; i < RegisteredDecoderCount(); ++i) {
    const ImageDecoder* decoder = RegisteredDecoder(i);
    if (decoder->memory) most = std::max(most, decoder->memory(bytes, size));
  }
  return static_cast<uint64_t>(size) + most;
}

bool MeasureImageFile(const std::u16string& path, ImageSize* out) {
  int32_t size = 0;
  uint8_t* bytes = ReadImageFileBytes(path, &size);
  if (!bytes) return false;
  const bool loads = MeasureImageMemory(bytes, size, out);
  std::free(bytes);
  return loads;
}

}  // namespace image
