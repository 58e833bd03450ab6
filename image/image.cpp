#include "image/image.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "image/image_internal.h"
#include "image/measure.h"
#include "platform/bitmap.h"
#include "platform/file.h"
#include "runtime/heap.h"

namespace image {
namespace {

struct DecoderRegistry {
  const ImageDecoder* decoders[kDecoderSlots];
  int32_t count;
};

DecoderRegistry g_decoders;
DecoderState* g_state;
runtime::ObjectRegistry* g_images;
std::atomic<uint64_t> g_image_budget{kImageMaxBytes};

void ResetState(DecoderState* state, const void* data, int32_t size) {
  std::memset(state, 0, sizeof(DecoderState));
  state->data = static_cast<const uint8_t*>(data);
  state->size = size;
  state->frame_count = 1;
  state->frame_delay = 0;
}

bool Accepts(DecoderState* state, const ImageDecoder* decoder) {
  std::memset(state->private_area, 0, sizeof(state->private_area));
  if (!decoder->check(state)) return false;
  state->decoder = decoder;
  return true;
}

}  // namespace

// How many frame bitmaps of the open state fit in the image's budget. Every frame has the state's
// size, so the frames that fit are the first ones.
int64_t FramesWithinBudget(const DecoderState* state) {
  const int64_t pitch = RowPitch(state->width, state->depth);
  const int64_t height = state->height;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
  uint64_t bytes;
  if (pitch <= 0 || rows == 0 || !runtime::SizeProduct(static_cast<uint64_t>(pitch), rows, &bytes)) return 0;
  return static_cast<int64_t>(g_image_budget.load() / bytes);
}

namespace {

// Decodes every frame of the open state into the record; false when frame 0 cannot be made.
bool DecodeFrames(ImageObject* record) {
  const int64_t affordable = FramesWithinBudget(g_state);
  if (g_state->frame_count < 2) {
    record->handle = affordable >= 1 ? CreateFrameBitmap() : nullptr;
    return record->handle != nullptr;
  }
  uint64_t bytes;
  if (!runtime::SizeProduct(static_cast<uint64_t>(g_state->frame_count), sizeof(FrameEntry), &bytes)) return false;
  auto* frames = static_cast<FrameEntry*>(runtime::HeapAllocate(bytes, true));
  if (!frames) return false;
  // Frames past the budget are neither made nor decoded: they keep empty handles.
  const int64_t made = affordable < g_state->frame_count ? affordable : g_state->frame_count;
  for (int32_t i = 0; i < made; ++i) {
    frames[i].bitmap = CreateFrameBitmap();
    frames[i].delay = static_cast<uint32_t>(g_state->frame_delay);
    if (!frames[0].bitmap) break;
  }
  if (!frames[0].bitmap) {
    runtime::HeapFree(frames);
    return false;
  }
  record->frames = frames;
  record->delay = static_cast<int32_t>(frames[0].delay);
  record->handle = frames[0].bitmap;
  return true;
}

}  // namespace

void InitImageLibrary() {
  if (g_images) ReleaseAllImages();
  std::memset(&g_decoders, 0, sizeof(g_decoders));
  if (!g_state)
    g_state = static_cast<DecoderState*>(runtime::HeapAllocate(sizeof(DecoderState), true));
  else
    std::memset(g_state, 0, sizeof(DecoderState));
  RegisterImageDecoder(BmpDecoder());
  if (!g_images) g_images = runtime::CreateRecordRegistry<ImageObject>(16, ReleaseImage);
}

void RegisterImageDecoder(const ImageDecoder* decoder) {
  if (!decoder || g_decoders.count >= kDecoderSlots) return;
  g_decoders.decoders[g_decoders.count++] = decoder;
}

const ImageDecoder* FindRegisteredDecoder(uint32_t tag) {
  for (int32_t i = 0; i < g_decoders.count; ++i)
    if (g_decoders.decoders[i]->tag == tag) return g_decoders.decoders[i];
  return nullptr;
}

int32_t RegisteredDecoderCount() { return g_decoders.count; }

const ImageDecoder* RegisteredDecoder(int32_t index) { return g_decoders.decoders[index]; }

void SetImageByteBudget(uint64_t bytes) { g_image_budget = bytes < kImageMaxBytes ? bytes : kImageMaxBytes; }

uint64_t ImageByteBudget() { return g_image_budget.load(); }

DecoderState* CurrentDecoderState() { return g_state; }

uint8_t* ReadImageFileBytes(const std::u16string& path, int32_t* size_out) {
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::OpenExisting;
  options.access = platform::AccessRead;
  options.share = platform::FileShare::Read;
  // A FIFO or device named like an image would block the scan or never end; only regular files
  // (links to them included) are read.
  options.regular_only = true;
  const platform::FileHandle file = platform::FileOpen(path, options);
  if (file == platform::kInvalidFile) return nullptr;
  // The decoders take a signed 32-bit byte count: a larger file fails rather than being read in part.
  const int64_t size = platform::FileSize(file);
  if (size < 0 || size > INT32_MAX) {
    platform::FileClose(file);
    return nullptr;
  }
  // Not zero-filled: the read overwrites every byte that is kept.
  auto* buffer = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
  if (!buffer) {
    platform::FileClose(file);
    return nullptr;
  }
  // The kernel moves at most about 2 GiB per read, so the one whole read may take several calls.
  int64_t done = 0;
  while (done < size) {
    const int64_t n = platform::FileRead(file, buffer + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  platform::FileClose(file);
  if (done != size) {
    std::free(buffer);
    return nullptr;
  }
  *size_out = static_cast<int32_t>(size);
  return buffer;
}

ObjectNumber LoadImageFile(ObjectNumber number, const std::u16string& path) {
  int32_t size = 0;
  uint8_t* buffer = ReadImageFileBytes(path, &size);
  if (!buffer) return 0;
  const ObjectNumber result = LoadImageMemory(number, buffer, size);
  std::free(buffer);
  return result;
}

ObjectNumber LoadImageMemory(ObjectNumber number, const void* data, int32_t size) {
  auto* record = runtime::AcquireRecord<ImageObject>(g_images, number);
  if (!record) return 0;
  const ObjectNumber id = number == AnyId ? runtime::NumberOfRecord(record) : number;
  const auto fail = [id]() -> ObjectNumber {
    runtime::ReleaseObject(g_images, id);
    return 0;
  };
  if (!data || size <= 0 || !g_state) return fail();

  if (auto* icon = static_cast<platform::Icon*>(IconFromMemory(data, size))) {
    const platform::Bitmap* color = icon->color;
    record->width = color->width;
    record->height = color->height;
    record->depth = record->source_depth = static_cast<uint8_t>(color->bits_per_pixel);
    record->tag = kTagIcon;
    record->frame_count = 1;
    record->handle = icon;
  } else {
    const uint32_t tag = OpenDecoder(data, size);
    if (tag == 0) return fail();
    record->tag = tag;
    record->width = g_state->width;
    record->height = g_state->height;
    record->depth = static_cast<uint8_t>(g_state->depth);
    record->source_depth = static_cast<uint8_t>(g_state->source_depth);
    record->frame_count = g_state->frame_count;
    const bool made = DecodeFrames(record);
    CloseDecoder();
    if (!made) return fail();
  }
  return number == AnyId ? id : runtime::NumberOfRecord(record->handle);
}

int64_t ImagePixelWidth(ObjectNumber number) {
  const ImageObject* record = FindImage(number);
  return record ? record->width : 0;
}

int64_t ImagePixelHeight(ObjectNumber number) {
  const ImageObject* record = FindImage(number);
  return record ? record->height : 0;
}

const ImageObject* FindImage(ObjectNumber number) { return runtime::FindRecord<ImageObject>(g_images, number); }

void ReleaseImage(ObjectNumber number) {
  if (number == AnyId) {
    ReleaseAllImages();
    return;
  }
  auto* record = runtime::FindRecord<ImageObject>(g_images, number);
  if (!record) return;
  if (record->frames) {
    for (int32_t i = 0; i < record->frame_count; ++i) platform::DeleteGraphics(record->frames[i].bitmap);
    runtime::HeapFree(record->frames);
  } else {
    platform::DeleteGraphics(record->handle);
  }
  runtime::ReleaseObject(g_images, number);
}

void ReleaseAllImages() { runtime::ReleaseAllObjects(g_images); }

uint32_t OpenDecoder(const void* data, int32_t size) { return OpenDecoderOn(g_state, data, size, false); }

// The registry is only read here; it is filled at start-up, before any load or measurement.
uint32_t OpenDecoderOn(DecoderState* state, const void* data, int32_t size, bool measuring) {
  if (!state) return 0;
  ResetState(state, data, size);
  state->measuring = measuring;
  if (!data || size <= 0) return 0;
  for (int32_t i = 0; i < g_decoders.count; ++i)
    if (Accepts(state, g_decoders.decoders[i])) return g_decoders.decoders[i]->tag;
  return 0;
}

uint32_t OpenDecoderWith(DecoderState* state, const ImageDecoder* decoder, const void* data, int32_t size) {
  if (!state || !decoder) return 0;
  ResetState(state, data, size);
  if (!data || size <= 0) return 0;
  return Accepts(state, decoder) ? decoder->tag : 0;
}

int DecodeFrame(uint8_t* rows, uint32_t pitch, uint32_t flags) {
  if (!g_state || !g_state->decoder) return 0;
  return g_state->decoder->decode(g_state, rows, pitch, flags);
}

void CloseDecoder() { CloseDecoderOn(g_state); }

void CloseDecoderOn(DecoderState* state) {
  if (!state || !state->decoder) return;
  state->decoder->release(state, state->decoder);
  state->decoder = nullptr;
}

void* CreateFrameBitmap() { return CreateFrameBitmapOn(g_state); }

void* CreateFrameBitmapOn(DecoderState* state) {
  if (!state || !state->decoder) return nullptr;
  platform::Bitmap* bitmap = platform::CreateBitmap(state->width, state->height, state->depth);
  if (!bitmap) return nullptr;
  // A negative height is a top-down bitmap: its first stored row is the top row.
  const uint32_t flags = bitmap->height > 0 ? DecodeBottomUp : 0;
  if (!state->decoder->decode(state, bitmap->pixels, bitmap->pitch, flags)) {
    platform::DeleteBitmap(bitmap);
    return nullptr;
  }
  return bitmap;
}

int64_t RowPitch(int64_t width, int32_t bits_per_pixel) { return platform::BitmapRowPitch(width, bits_per_pixel); }

}  // namespace image
