// PNG through libpng: every image comes out as 8-bit blue-green-red rows, with an alpha byte when
// the image has transparency.
//
// libpng reports errors by longjmp. The jump lands in the function that called setjmp, which does
// nothing but clean up, and the work itself runs in a helper below it; no object with a destructor
// lives in any of these frames.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "image/decoders.h"
#include "image/image.h"

namespace image {
namespace {

struct PngPrivate {
  png_structp png;
  png_infop info;
  const uint8_t* cursor;  // next byte to hand to libpng
  int64_t color_type;     // from the image header, before any transformation
  int64_t bit_depth;
  const uint8_t* end;  // just past the last byte
  uint8_t* scratch;    // one row that a measurement decodes into and nobody reads
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  auto* own = static_cast<PngPrivate*>(png_get_io_ptr(png));
  size_t remaining = static_cast<size_t>(own->end - own->cursor);
  size_t count = length < remaining ? length : remaining;
  if (count != 0) std::memcpy(out, own->cursor, count);
  own->cursor += count;
  // A short read is an error, as with libpng's own file reader: a truncated file never decodes
  // rows from bytes that are not there.
  if (count < length) png_error(png, "unexpected end of data");
}

// Errors end in the non-local exit without libpng's text on stderr; warnings are dropped.
[[noreturn]] void ExitSilently(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

void DestroyPng(PngPrivate* own) {
  if (own->png != nullptr) png_destroy_read_struct(&own->png, &own->info, nullptr);
  std::free(own->scratch);
  std::memset(own, 0, sizeof *own);
}

int SourceDepth(int color_type, int bit_depth, bool has_trns) {
  switch (color_type) {
    case PNG_COLOR_TYPE_RGB: return has_trns ? 32 : 24;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 32;
    default: return bit_depth;  // gray, gray with alpha, palette
  }
}

// A measurement reads the rows as they are stored: the transformations below cannot fail, and they
// give every image 8-bit blue-green-red, with alpha exactly when it has transparency.
int MeasuredHeader(DecoderState* state, PngPrivate* own, png_uint_32 width, png_uint_32 height, bool has_trns) {
  png_read_update_info(own->png, own->info);
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return 0;
  const auto type = static_cast<int>(own->color_type);
  const bool opaque_colour =
      type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_PALETTE;
  state->width = static_cast<int32_t>(width);
  state->height = static_cast<int32_t>(height);
  state->depth = opaque_colour && !has_trns ? 24 : 32;
  state->source_depth = SourceDepth(type, static_cast<int>(own->bit_depth), has_trns);
  return 1;
}

// Runs under the caller's setjmp; kept out of line so that the caller's setjmp does not pin this
// function's variables to memory.
[[gnu::noinline]] int ReadPngHeader(DecoderState* state, PngPrivate* own) {
  png_structp png = own->png;
  // Only IHDR, PLTE, tRNS, IDAT and IEND shape the rows. Every other chunk is skipped unread:
  // libpng would otherwise allocate and clear whatever length a text chunk declares (its size
  // check is only a warning when reading), gigabytes for a file of a hundred bytes.
  png_set_keep_unknown_chunks(own->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  own->info = png_create_info_struct(png);
  if (own->info == nullptr) return 0;
  png_infop info = own->info;
  png_read_info(png, info);
  png_set_interlace_handling(png);

  png_uint_32 width = 0, height = 0;
  int bit_depth = 0, color_type = 0;
  png_get_IHDR(png, info, &width, &height, &bit_depth, &color_type, nullptr, nullptr, nullptr);
  own->color_type = color_type;
  own->bit_depth = bit_depth;

  bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (state->measuring) return MeasuredHeader(state, own, width, height, has_trns);
  if (has_trns) png_set_tRNS_to_alpha(png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_PALETTE ||
      color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (bit_depth < 8) png_set_expand(png);
    if (color_type == PNG_COLOR_TYPE_PALETTE) {
      png_set_palette_to_rgb(png);
    } else {
      png_set_gray_to_rgb(png);
    }
  }
  if (bit_depth == 16) png_set_strip_16(png);
  png_set_bgr(png);
  png_read_update_info(png, info);

  int final_depth = 0, final_type = 0;
  png_get_IHDR(png, info, &width, &height, &final_depth, &final_type, nullptr, nullptr, nullptr);
  // The rows are written straight into the bitmap, so they must be exactly what the depth says.
  int channels = png_get_channels(png, info);
  int depth = final_type == PNG_COLOR_TYPE_RGB ? 24 : 32;
  if (final_depth != 8 || channels * 8 != depth) return 0;
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return 0;
  if (png_get_rowbytes(png, info) != uint64_t{width} * static_cast<uint64_t>(channels)) return 0;

  state->width = static_cast<int32_t>(width);
  state->height = static_cast<int32_t>(height);
  state->depth = depth;
  state->source_depth = SourceDepth(color_type, bit_depth, has_trns);
  return 1;
}

int CheckPng(DecoderState* state) {
  if (state->data == nullptr || state->size < 8 || png_sig_cmp(state->data, 0, 8) != 0) return 0;
  PngPrivate* own = PrivateOf<PngPrivate>(state);
  std::memset(own, 0, sizeof *own);
  own->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ExitSilently, IgnoreWarning);
  if (own->png == nullptr) return 0;
  own->cursor = state->data;  // libpng reads the signature again
  own->end = state->data + state->size;
  png_set_read_fn(own->png, own, ReadFromMemory);
  if (setjmp(png_jmpbuf(own->png))) {
    DestroyPng(own);
    return 0;
  }
  if (ReadPngHeader(state, own) == 0) {
    DestroyPng(own);
    return 0;
  }
  return 1;
}

// Runs under the caller's setjmp; kept out of line, as ReadPngHeader.
[[gnu::noinline]] int ReadPngRows(DecoderState* state, PngPrivate* own, uint8_t* rows, uint32_t pitch, uint32_t flags) {
  int passes = png_set_interlace_handling(own->png);
  size_t height = static_cast<size_t>(state->height);
  bool bottom_up = (flags & DecodeBottomUp) != 0;
  // Interlaced images hand over the same rows once per pass; libpng fills in that pass's pixels.
  for (int pass = 0; pass < passes; ++pass) {
    for (size_t y = 0; y < height; ++y) {
      size_t row = bottom_up ? height - 1 - y : y;
      png_bytep target = rows + row * pitch;
      png_read_rows(own->png, &target, nullptr, 1);
    }
  }
  return 1;
}

int DecodePng(DecoderState* state, uint8_t* rows, uint32_t pitch, uint32_t flags) {
  PngPrivate* own = PrivateOf<PngPrivate>(state);
  if (own->png == nullptr || own->info == nullptr || rows == nullptr) return 0;
  if (pitch < png_get_rowbytes(own->png, own->info)) return 0;
  if (setjmp(png_jmpbuf(own->png))) return 0;
  return ReadPngRows(state, own, rows, pitch, flags);
}

// Every row goes through libpng as in a decode, with its checks and transformations, but into one
// scratch row: whether the decode succeeds depends on the data, never on where the rows land.
[[gnu::noinline]] int ReadPngRowsDiscarding(DecoderState* state, PngPrivate* own) {
  int passes = png_set_interlace_handling(own->png);
  png_bytep target = own->scratch;
  for (int pass = 0; pass < passes; ++pass)
    for (int32_t y = 0; y < state->height; ++y) png_read_rows(own->png, &target, nullptr, 1);
  return 1;
}

int MeasurePng(DecoderState* state) {
  PngPrivate* own = PrivateOf<PngPrivate>(state);
  if (own->png == nullptr || own->info == nullptr) return 0;
  own->scratch = static_cast<uint8_t*>(std::malloc(png_get_rowbytes(own->png, own->info)));
  if (own->scratch == nullptr) return 0;
  if (setjmp(png_jmpbuf(own->png))) return 0;
  return ReadPngRowsDiscarding(state, own);
}

void ReleasePng(DecoderState* state, const ImageDecoder*) { DestroyPng(PrivateOf<PngPrivate>(state)); }

// A measurement keeps no picture: libpng's row and previous row, the scratch row, at most eight
// bytes a pixel each, and zlib's window. The width is the header's (IHDR comes first, or libpng
// refuses the file), and libpng refuses one past its limit.
uint64_t PngMemory(const uint8_t* data, int32_t size) {
  if (data == nullptr || size < 24 || png_sig_cmp(data, 0, 8) != 0) return 0;
  const uint64_t width = png_get_uint_32(data + 16);
  return width > PNG_USER_WIDTH_MAX ? 0 : 3 * 8 * width + (uint64_t{64} << 10);
}

}  // namespace

const ImageDecoder kPngDecoder = {CheckPng, DecodePng, ReleasePng, kTagPng, MeasurePng, PngMemory};

void UsePngDecoder() {
  // Once per InitImageLibrary, which empties the registry.
  if (FindRegisteredDecoder(kTagPng) == nullptr) RegisterImageDecoder(&kPngDecoder);
}

}  // namespace image
