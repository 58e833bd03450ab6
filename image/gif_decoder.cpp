// GIF through giflib: the whole file is read in the check, then each decode composes the next frame
// on a 32-bit canvas of the logical screen's size, honouring transparency and the disposal modes,
// and copies the canvas out.
#include <gif_lib.h>

#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "image/decoders.h"
#include "image/image.h"
#include "runtime/heap.h"

namespace image {
namespace {

static_assert(std::endian::native == std::endian::little, "canvas pixels are stored blue, green, red, alpha");

struct GifPrivate {
  GifFileType* gif;
  const uint8_t* cursor;  // next byte for giflib
  const uint8_t* end;     // just past the last byte
  int64_t next_frame;
  uint32_t* canvas;        // logical screen, alpha << 24 | red << 16 | green << 8 | blue
  uint32_t* saved;         // the canvas as the last frame that does not restore left it
  int32_t last_disposal;   // of the frame decoded last; 0 before the first
  int32_t first_disposal;  // of the frame that started the canvas
  int32_t incomplete;      // a frame whose raster may be partly unwritten, or -1
  int32_t restores;        // some frame disposes to previous, so the saved canvas is needed
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  auto* own = static_cast<GifPrivate*>(gif->UserData);
  if (length <= 0) return 0;
  size_t remaining = static_cast<size_t>(own->end - own->cursor);
  size_t count = static_cast<size_t>(length) < remaining ? static_cast<size_t>(length) : remaining;
  if (count != 0) std::memcpy(out, own->cursor, count);
  own->cursor += count;
  return static_cast<int>(count);
}

void DestroyGif(GifPrivate* own) {
  if (own->gif != nullptr) {
    int error = 0;
    DGifCloseFile(own->gif, &error);
  }
  std::free(own->canvas);
  std::free(own->saved);
  std::memset(own, 0, sizeof *own);
}

// What DGifSlurp keeps is worked out from the record structure before giflib reads the file: every
// image's raster (width x height bytes, taken before its LZW data is read), its record and colour
// maps, and every extension block. The LZW data is skipped block by block, never decoded, so 200
// frames of 4000 x 4000 in 2.6 MB are found to need 3.2 GB at once.
//
// The C library's own share of every block it hands out, at most about.
constexpr uint64_t kBlockOverhead = 32;

constexpr uint64_t Block(uint64_t bytes) { return bytes + kBlockOverhead; }

// A colour map as giflib makes it: the object and its colours.
constexpr uint64_t MapBytes(uint64_t colours) {
  return Block(sizeof(ColorMapObject)) + Block(colours * sizeof(GifColorType));
}

// Where one of giflib's readings stops, as far as the records tell it, and what it keeps up to then.
struct GifReading {
  uint64_t bytes = 0;
  size_t stop = 0;  // the offset of the first byte the reading leaves unread
  int32_t images = 0;
  bool out_of_data = false;  // it ends at the end of the data: a second reading gets nothing
  bool finished = false;     // it reached the trailer
};

// One DGifSlurp over the records from `at`, the sums of those that start before `until`. It stops
// where giflib stops at a record: the end of the data, a byte that starts no record, the trailer, a
// code size above 8, an image of no pixels or of more than INT_MAX.
GifReading ReadRecords(const uint8_t* data, size_t size, size_t at, size_t until) {
  GifReading reading;
  const auto stop = [&](size_t where) {
    reading.stop = where;
    reading.out_of_data = where >= size;
    return reading;
  };
  // One sub-block; false when the data ends inside it. giflib keeps each block of an extension as a
  // block of its own, listed in an array it grows one entry at a time (for a moment the old array and
  // the new one are both there), and decodes those of an image.
  size_t length = 0;
  const auto block = [&](bool kept) {
    if (at >= size) return false;
    length = data[at++];
    if (size - at < length) return false;
    at += length;
    if (kept && length != 0) reading.bytes += Block(length) + 2 * sizeof(ExtensionBlock);
    return true;
  };
  // Sub-blocks up to an empty one.
  const auto chain = [&](bool kept) {
    do
      if (!block(kept)) return false;
    while (length != 0);
    return true;
  };
  while (at < until) {
    if (at >= size) return stop(size);
    const uint8_t type = data[at++];
    if (type == ';') {
      reading.finished = true;
      return stop(at);
    }
    if (type == '!') {
      // Its label and first block, then blocks up to an empty one: when the first is empty already,
      // giflib reads a whole chain more.
      if (at++ >= size || !block(true) || !chain(true)) return stop(size);
      continue;
    }
    if (type != ',') return stop(at);
    if (size - at < 9) return stop(size);
    const uint32_t width = data[at + 4] | data[at + 5] << 8, height = data[at + 6] | data[at + 7] << 8;
    const uint8_t flags = data[at + 8];
    at += 9;
    if (flags & 0x80) {
      // The header's map and the saved image's copy of it.
      const uint64_t colours = uint64_t{1} << ((flags & 7) + 1);
      reading.bytes += 2 * MapBytes(colours);
      if (size - at < colours * 3) return stop(size);
      at += colours * 3;
    }
    if (at >= size) return stop(size);
    if (data[at++] > 8) return stop(at);
    reading.bytes += 2 * sizeof(SavedImage);  // its record, in an array grown as the extensions' is
    ++reading.images;
    if (width == 0 || height == 0 || width > INT_MAX / height) return stop(at);
    reading.bytes += Block(uint64_t{width} * height);
    if (!chain(false)) return stop(size);
  }
  return stop(at);
}

// What the check's readings keep (a second one goes on from where the first stopped) when each
// stops where the records say: bytes from `start`, the first record after the screen descriptor.
uint64_t SlurpBytes(const uint8_t* data, size_t size, size_t start) {
  const GifReading first = ReadRecords(data, size, start, size);
  if (first.out_of_data || (first.finished && first.images > 0)) return first.bytes;
  return first.bytes + ReadRecords(data, size, first.stop, size).bytes;
}

// giflib's file record and its decompression state.
constexpr uint64_t kGiflibState = uint64_t{32} << 10;

bool OpenGif(DecoderState* state, GifPrivate* own) {
  if (state->data == nullptr || state->size < 2) return false;
  std::memset(own, 0, sizeof *own);
  own->cursor = state->data;
  own->end = state->data + state->size;
  own->incomplete = -1;
  int error = 0;
  own->gif = DGifOpen(own, ReadFromMemory, &error);
  if (own->gif == nullptr) return false;
  if (own->gif->SWidth < 1 || own->gif->SHeight < 1) {
    DestroyGif(own);
    return false;
  }
  return true;
}

int CheckGif(DecoderState* state) {
  GifPrivate* own = PrivateOf<GifPrivate>(state);
  if (!OpenGif(state, own)) return 0;
  GifFileType* gif = own->gif;
  const size_t size = static_cast<size_t>(state->size);
  const size_t start = static_cast<size_t>(own->cursor - state->data);
  // Decided before giflib takes any of it, and so the same for a measurement and a load.
  const uint64_t allowed = SlurpBytes(state->data, size, start);
  if (allowed > ImageByteBudget()) {
    DestroyGif(own);
    return 0;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    // The second attempt reads on from where the first stopped, which gets past a stray byte
    // between records. Unless the first stopped exactly there, the raster of the image it was
    // reading may be partly unwritten memory, so that frame is not drawn: its bitmap shows the
    // canvas as the frames before it left it.
    if (gif->Error != D_GIF_ERR_WRONG_RECORD && gif->ImageCount > 0) own->incomplete = gif->ImageCount - 1;
    // A first attempt that stopped inside LZW data (data that does not decode) leaves the second
    // reading the rest of it as records, which the sum above never saw: both together may keep no
    // more than it allowed.
    const size_t stop = static_cast<size_t>(own->cursor - state->data);
    if (ReadRecords(state->data, size, start, stop).bytes + ReadRecords(state->data, size, stop, size).bytes >
        allowed) {
      DestroyGif(own);
      return 0;
    }
    // DGifSlurp forgets, without freeing, extensions read since the last image.
    GifFreeExtensions(&gif->ExtensionBlockCount, &gif->ExtensionBlocks);
    if (DGifSlurp(gif) != GIF_OK) {
      DestroyGif(own);
      return 0;
    }
  }
  state->width = gif->SWidth;
  state->height = gif->SHeight;
  state->depth = 32;
  state->source_depth = 8;
  state->frame_count = gif->ImageCount;
  own->next_frame = 0;
  for (int i = 0; i < gif->ImageCount && !own->restores; ++i) {
    GraphicsControlBlock control;
    own->restores = DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK && control.DisposalMode == DISPOSE_PREVIOUS;
  }
  return 1;
}

uint32_t Colour(const ColorMapObject* map, int index) {
  const GifColorType& c = map->Colors[index];
  return uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | uint32_t{c.Blue};
}

constexpr uint32_t kOpaque = 0xFF000000u;

// What disposal to background and a new canvas show for a frame with this colour map and
// transparent index.
uint32_t BackgroundPixel(const GifFileType* gif, const ColorMapObject* map, int transparent) {
  if (transparent >= 0) return transparent < map->ColorCount ? Colour(map, transparent) : 0;
  int index = gif->SBackGroundColor;
  if (index == 255) return 0;
  if (index >= 0 && index < map->ColorCount) return Colour(map, index) | kOpaque;
  return kOpaque;
}

void FillRectangle(uint32_t* canvas, size_t stride, size_t left, size_t top, size_t width, size_t height,
                   uint32_t pixel) {
  for (size_t y = top; y < top + height; ++y) {
    uint32_t* row = canvas + y * stride + left;
    for (size_t x = 0; x < width; ++x) row[x] = pixel;
  }
}

// The colour map a frame is drawn with: its own, else the global one; nullptr when it has none.
const ColorMapObject* FrameColours(const GifFileType* gif, const SavedImage& image) {
  const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
  return map != nullptr && map->Colors != nullptr ? map : nullptr;
}

// Decode takes a frame only when it lies on the logical screen and has its raster, unless the
// raster is one that the check found cut short, which is not drawn at all.
bool FrameUsable(const GifPrivate* own, int index) {
  const GifFileType* gif = own->gif;
  const SavedImage& image = gif->SavedImages[index];
  const GifImageDesc& desc = image.ImageDesc;
  if (desc.Left < 0 || desc.Top < 0 || desc.Width < 0 || desc.Height < 0) return false;
  size_t left = static_cast<size_t>(desc.Left), top = static_cast<size_t>(desc.Top);
  size_t width = static_cast<size_t>(desc.Width), height = static_cast<size_t>(desc.Height);
  if (left + width > static_cast<size_t>(gif->SWidth) || top + height > static_cast<size_t>(gif->SHeight)) return false;
  if (index != own->incomplete && width != 0 && height != 0 && image.RasterBits == nullptr) return false;
  return true;
}

bool CanvasBytes(const GifFileType* gif, uint64_t* bytes) {
  return runtime::SizeProduct(uint64_t{static_cast<uint32_t>(gif->SWidth)} * static_cast<uint32_t>(gif->SHeight), 4,
                              bytes) &&
         *bytes <= SIZE_MAX;
}

int DecodeGif(DecoderState* state, uint8_t* rows, uint32_t pitch, uint32_t flags) {
  GifPrivate* own = PrivateOf<GifPrivate>(state);
  GifFileType* gif = own->gif;
  if (gif == nullptr || rows == nullptr) return 0;
  size_t screen_width = static_cast<size_t>(gif->SWidth);
  size_t screen_height = static_cast<size_t>(gif->SHeight);
  if (pitch < uint64_t{screen_width} * 4) return 0;
  if (own->next_frame < 0 || own->next_frame >= gif->ImageCount) return 0;
  int index = static_cast<int>(own->next_frame++);
  const SavedImage& image = gif->SavedImages[index];
  const GifImageDesc& desc = image.ImageDesc;

  const ColorMapObject* map = FrameColours(gif, image);
  if (map == nullptr) return 0;

  GraphicsControlBlock control;
  if (DGifSavedExtensionToGCB(gif, index, &control) != GIF_OK) {
    control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  }
  state->frame_delay = control.DelayTime * 10;
  int previous_disposal = own->last_disposal;
  own->last_disposal = control.DisposalMode;

  if (!FrameUsable(own, index)) return 0;
  size_t left = static_cast<size_t>(desc.Left), top = static_cast<size_t>(desc.Top);
  size_t width = static_cast<size_t>(desc.Width), height = static_cast<size_t>(desc.Height);
  const bool drawn = index != own->incomplete;

  int transparent = control.TransparentColor;  // NO_TRANSPARENT_COLOR is -1
  if (own->canvas == nullptr) {
    uint64_t bytes = 0;
    if (!CanvasBytes(gif, &bytes)) return 0;
    own->canvas = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(bytes)));
    if (own->canvas == nullptr) return 0;
    FillRectangle(own->canvas, screen_width, 0, 0, screen_width, screen_height, BackgroundPixel(gif, map, transparent));
    own->first_disposal = control.DisposalMode;
  }

  // A transparent pixel keeps what is below it when the earlier frame stays (disposal 1) or is
  // restored (3), or when this frame does not say; otherwise it punches through to transparent.
  bool keep_below = previous_disposal == DISPOSE_DO_NOT || previous_disposal == DISPOSE_PREVIOUS ||
                    control.DisposalMode == DISPOSAL_UNSPECIFIED;
  uint32_t clear = transparent >= 0 && transparent < map->ColorCount ? Colour(map, transparent) : 0;
  int colours = map->ColorCount < 256 ? map->ColorCount : 256;
  uint32_t opaque[256];
  for (int i = 0; i < colours; ++i) opaque[i] = Colour(map, i) | kOpaque;
  for (size_t y = 0; drawn && y < height; ++y) {
    const GifByteType* source = image.RasterBits + y * width;
    uint32_t* target = own->canvas + (top + y) * screen_width + left;
    for (size_t x = 0; x < width; ++x) {
      int i = source[x];
      if (i != transparent) {
        if (i < colours) target[x] = opaque[i];
      } else if (!keep_below) {
        target[x] = clear;
      }
    }
  }

  bool bottom_up = (flags & DecodeBottomUp) != 0;
  for (size_t r = 0; r < screen_height; ++r) {
    size_t row = bottom_up ? screen_height - 1 - r : r;
    std::memcpy(rows + row * pitch, own->canvas + r * screen_width, screen_width * 4);
  }

  size_t canvas_bytes = screen_width * screen_height * 4;
  // Only a frame that disposes to previous ever reads the saved canvas.
  if (control.DisposalMode != DISPOSE_PREVIOUS && own->restores) {
    if (own->saved == nullptr) own->saved = static_cast<uint32_t*>(std::malloc(canvas_bytes));
    if (own->saved == nullptr) return 0;
    std::memcpy(own->saved, own->canvas, canvas_bytes);
  }

  uint32_t background = BackgroundPixel(gif, map, transparent);
  if (control.DisposalMode == DISPOSE_BACKGROUND) {
    FillRectangle(own->canvas, screen_width, left, top, width, height, background);
  } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
    if (own->first_disposal == DISPOSE_DO_NOT) {
      if (own->saved != nullptr) std::memcpy(own->canvas, own->saved, canvas_bytes);
    } else {
      FillRectangle(own->canvas, screen_width, left, top, width, height, background);
    }
  }
  return 1;
}

// The next frame's outcome without drawing it: giflib read every frame in the check already, so
// only the conditions under which decode refuses a frame are left to look at.
int MeasureGif(DecoderState* state) {
  const GifPrivate* own = PrivateOf<GifPrivate>(state);
  const GifFileType* gif = own->gif;
  if (gif == nullptr || own->next_frame < 0 || own->next_frame >= gif->ImageCount) return 0;
  const int index = static_cast<int>(own->next_frame);
  uint64_t bytes = 0;
  if (own->canvas == nullptr && !CanvasBytes(gif, &bytes)) return 0;
  return FrameColours(gif, gif->SavedImages[index]) != nullptr && FrameUsable(own, index);
}

void ReleaseGif(DecoderState* state, const ImageDecoder*) { DestroyGif(PrivateOf<GifPrivate>(state)); }

// A measurement draws nothing: what the check's readings keep is all it takes.
uint64_t GifMemory(const uint8_t* data, int32_t size) {
  DecoderState state = StateOver(data, size);
  GifPrivate* own = PrivateOf<GifPrivate>(&state);
  if (!OpenGif(&state, own)) return 0;
  const size_t start = static_cast<size_t>(own->cursor - data);
  const ColorMapObject* screen_map = own->gif->SColorMap;
  const uint64_t kept = SlurpBytes(data, static_cast<size_t>(size), start);
  const uint64_t open = kGiflibState + (screen_map ? MapBytes(static_cast<uint64_t>(screen_map->ColorCount)) : 0);
  DestroyGif(own);
  return kept > ImageByteBudget() ? 0 : kept + open;
}

}  // namespace

const ImageDecoder kGifDecoder = {CheckGif, DecodeGif, ReleaseGif, kTagGif, MeasureGif, GifMemory};

void UseGifDecoder() {
  // Once per InitImageLibrary, which empties the registry.
  if (FindRegisteredDecoder(kTagGif) == nullptr) RegisterImageDecoder(&kGifDecoder);
}

}  // namespace image
