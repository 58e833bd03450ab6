// JPEG through libjpeg: every image comes out as 24-bit blue-green-red rows, whatever its colour
// space.
//
// libjpeg's error exit would end the process; ours jumps back into the decoder instead. The jump
// lands in the function that called setjmp, which only cleans up; the work runs in a helper below
// it. The decompression object and the error block are plain heap blocks, so nothing with a
// destructor lives in these frames.
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"

namespace image {
namespace {

struct JpegErrorBlock {
  jpeg_error_mgr manager;  // first: libjpeg's error pointer is the block's address
  jmp_buf exit;
};

struct JpegPrivate {
  jpeg_decompress_struct* info;
  JpegErrorBlock* error;
  JSAMPARRAY row;        // one row of samples, from libjpeg's image pool
  uint8_t* destination;  // the destination row being filled
};

[[noreturn]] void JumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrorBlock*>(info->err)->exit, 1); }
void StaySilent(j_common_ptr) {}

void DestroyJpeg(JpegPrivate* own) {
  if (own->info != nullptr) {
    jpeg_destroy_decompress(own->info);  // safe on an object libjpeg never initialised: mem is null
    std::free(own->info);
  }
  std::free(own->error);
  std::memset(own, 0, sizeof *own);
}

// libjpeg-turbo writes blue-green-red itself, straight into the bitmap's rows; plain libjpeg gives
// red-green-blue, turned round row by row.
#ifdef JCS_EXTENSIONS
constexpr J_COLOR_SPACE kThreeByteOutput = JCS_EXT_BGR;
#else
constexpr J_COLOR_SPACE kThreeByteOutput = JCS_RGB;
#endif

// libjpeg's whole-image coefficient buffers for this image, valid once its header is read: per
// component its blocks, rounded up to whole sampling units as libjpeg rounds them, of 64 two-byte
// coefficients each.
uint64_t CoefficientBytes(const jpeg_decompress_struct* info) {
  uint64_t blocks = 0;
  for (int c = 0; c < info->num_components; ++c) {
    const jpeg_component_info& component = info->comp_info[c];
    uint64_t across = static_cast<uint64_t>(component.h_samp_factor > 0 ? component.h_samp_factor : 1);
    uint64_t down = static_cast<uint64_t>(component.v_samp_factor > 0 ? component.v_samp_factor : 1);
    uint64_t wide = (uint64_t{component.width_in_blocks} + across - 1) / across * across;
    uint64_t high = (uint64_t{component.height_in_blocks} + down - 1) / down * down;
    blocks += wide * high;
  }
  return blocks * DCTSIZE2 * sizeof(JCOEF);
}

// Reads the header and makes every choice that can refuse the image, before libjpeg sets up any
// buffer of the image's size. Runs under the caller's setjmp; kept out of line so that the caller's
// setjmp does not pin this function's variables to memory.
[[gnu::noinline]] int ReadJpegHeader(DecoderState* state, JpegPrivate* own) {
  jpeg_decompress_struct* info = own->info;
  jpeg_CreateDecompress(info, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  info->err->trace_level = 0;
  // Every image that passes the checks below gets the working memory it needs: 0 is no limit,
  // whatever the environment asked for.
  info->mem->max_memory_to_use = 0;
  jpeg_mem_src(info, state->data, static_cast<unsigned long>(state->size));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return 0;
  if (info->jpeg_color_space == JCS_UNKNOWN) return 0;

  info->dct_method = JDCT_ISLOW;
  switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: info->out_color_space = kThreeByteOutput; break;
    case JCS_YCCK: info->out_color_space = JCS_CMYK; break;
    default: break;  // CMYK stays CMYK
  }
  jpeg_calc_output_dimensions(info);
  // The row conversion knows three-byte colour and four-byte CMYK only.
  bool rgb = info->out_color_space == kThreeByteOutput && info->output_components == 3;
  bool cmyk = info->out_color_space == JCS_CMYK && info->output_components == 4;
  if (!rgb && !cmyk) return 0;
  if (info->output_width == 0 || info->output_height == 0 || info->output_width > INT32_MAX ||
      info->output_height > INT32_MAX) {
    return 0;
  }
  // An image whose bitmap would pass the image budget (2 GiB) could never be made, so it is refused
  // here, before libjpeg sets up its buffers.
  uint64_t bitmap_bytes = 0;
  if (__builtin_mul_overflow(static_cast<uint64_t>(platform::BitmapRowPitch(info->output_width, 24)),
                             uint64_t{info->output_height}, &bitmap_bytes) ||
      bitmap_bytes > ImageByteBudget()) {
    return 0;
  }
  // A file of several scans (progressive, or one scan per component) keeps every coefficient until
  // its last scan is read, and those can take several times the bitmap: a thousand bytes declaring
  // 26000 x 27500 in CMYK would ask for 5.7 GB. They are held to the same budget. Nothing else
  // libjpeg keeps grows with the picture's area.
  if (jpeg_has_multiple_scans(info) && CoefficientBytes(info) > ImageByteBudget()) return 0;
  return 1;
}

// Runs under the caller's setjmp; kept out of line, as ReadJpegHeader.
[[gnu::noinline]] int StartJpeg(DecoderState* state, JpegPrivate* own) {
  if (ReadJpegHeader(state, own) == 0) return 0;
  jpeg_decompress_struct* info = own->info;
  uint64_t row_bytes =
      (uint64_t{info->output_width} * static_cast<uint64_t>(info->output_components) + 3) & ~uint64_t{3};
  if (row_bytes > UINT32_MAX) return 0;
  own->row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                        static_cast<JDIMENSION>(row_bytes), 1);
  jpeg_start_decompress(info);

  state->width = static_cast<int32_t>(info->output_width);
  state->height = static_cast<int32_t>(info->output_height);
  state->depth = 24;
  state->source_depth = 8 * info->output_components;
  return 1;
}

// The decompression object and its error block, for data that starts as a JPEG does; false, with
// nothing left allocated, otherwise.
bool OpenJpeg(DecoderState* state, JpegPrivate* own) {
  if (state->data == nullptr || state->size < 2 || state->data[0] != 0xFF || state->data[1] != 0xD8) return false;
  std::memset(own, 0, sizeof *own);
  own->info = static_cast<jpeg_decompress_struct*>(std::calloc(1, sizeof(jpeg_decompress_struct)));
  own->error = static_cast<JpegErrorBlock*>(std::calloc(1, sizeof(JpegErrorBlock)));
  if (own->info == nullptr || own->error == nullptr) {
    DestroyJpeg(own);
    return false;
  }
  own->info->err = jpeg_std_error(&own->error->manager);
  own->error->manager.error_exit = JumpBack;
  own->error->manager.output_message = StaySilent;
  return true;
}

int CheckJpeg(DecoderState* state) {
  JpegPrivate* own = PrivateOf<JpegPrivate>(state);
  if (!OpenJpeg(state, own)) return 0;
  if (setjmp(own->error->exit)) {
    DestroyJpeg(own);
    return 0;
  }
  if (StartJpeg(state, own) == 0) {
    DestroyJpeg(own);
    return 0;
  }
  return 1;
}

// Runs under the caller's setjmp; kept out of line, as ReadJpegHeader.
[[gnu::noinline]] int ReadJpegRows(DecoderState* state, JpegPrivate* own, uint8_t* rows, uint32_t pitch,
                                   uint32_t flags) {
  jpeg_decompress_struct* info = own->info;
  size_t height = static_cast<size_t>(state->height);
  size_t width = info->output_width;
  bool bottom_up = (flags & DecodeBottomUp) != 0;
  bool cmyk = info->out_color_space == JCS_CMYK;
  bool direct = kThreeByteOutput != JCS_RGB && info->out_color_space == kThreeByteOutput;
  for (size_t i = 0; i < height; ++i) {
    own->destination = rows + (bottom_up ? height - 1 - i : i) * pitch;
    if (direct) {
      if (jpeg_read_scanlines(info, &own->destination, 1) != 1) return 0;
      continue;
    }
    if (jpeg_read_scanlines(info, own->row, 1) != 1) return 0;
    const uint8_t* source = own->row[0];
    uint8_t* target = own->destination;
    if (cmyk) {
      // Adobe writers store inverted CMYK, so each stored byte times the stored black byte is
      // already the channel's intensity.
      for (size_t x = 0; x < width; ++x, source += 4, target += 3) {
        unsigned k = source[3];
        target[0] = static_cast<uint8_t>(source[2] * k / 255);
        target[1] = static_cast<uint8_t>(source[1] * k / 255);
        target[2] = static_cast<uint8_t>(source[0] * k / 255);
      }
    } else {
      for (size_t x = 0; x < width; ++x, source += 3, target += 3) {
        target[0] = source[2];
        target[1] = source[1];
        target[2] = source[0];
      }
    }
  }
  jpeg_finish_decompress(info);
  return 1;
}

int DecodeJpeg(DecoderState* state, uint8_t* rows, uint32_t pitch, uint32_t flags) {
  JpegPrivate* own = PrivateOf<JpegPrivate>(state);
  if (own->info == nullptr || own->row == nullptr || rows == nullptr) return 0;
  if (pitch < uint64_t{own->info->output_width} * 3) return 0;
  if (setjmp(own->error->exit)) return 0;
  return ReadJpegRows(state, own, rows, pitch, flags);
}

// Above this the measurement of a one-scan image reads scanlines instead of coefficients, so that
// it never needs more memory than the decode it stands for.
constexpr uint64_t kCoefficientMemory = uint64_t{256} << 20;

// Runs under the caller's setjmp; kept out of line, as ReadJpegHeader.
[[gnu::noinline]] int ReadJpegData(DecoderState* state, JpegPrivate* own) {
  jpeg_decompress_struct* info = own->info;
  // An image of several scans was read to its end by jpeg_start_decompress in the check; decode
  // would only turn the stored coefficients into pixels, which cannot fail.
  if (jpeg_has_multiple_scans(info)) return 1;
  if (CoefficientBytes(info) > kCoefficientMemory) {
    for (int32_t y = 0; y < state->height; ++y)
      if (jpeg_read_scanlines(info, own->row, 1) != 1) return 0;
    jpeg_finish_decompress(info);
    return 1;
  }
  // The check has made every choice that can refuse the image (colour conversion, upsampling);
  // what is left to find out is whether the entropy-coded data reads to its end, and reading the
  // coefficients reads and checks all of it without the inverse transform. So start the same data
  // over in coefficient mode.
  jpeg_abort_decompress(info);
  own->row = nullptr;  // it lived in the pool that the abort freed
  jpeg_mem_src(info, state->data, static_cast<unsigned long>(state->size));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return 0;
  if (jpeg_read_coefficients(info) == nullptr) return 0;
  jpeg_finish_decompress(info);
  return 1;
}

int MeasureJpeg(DecoderState* state) {
  JpegPrivate* own = PrivateOf<JpegPrivate>(state);
  if (own->info == nullptr || own->row == nullptr) return 0;
  if (setjmp(own->error->exit)) return 0;
  return ReadJpegData(state, own);
}

void ReleaseJpeg(DecoderState* state, const ImageDecoder*) { DestroyJpeg(PrivateOf<JpegPrivate>(state)); }

// Runs under the caller's setjmp; kept out of line, as ReadJpegHeader.
[[gnu::noinline]] uint64_t MeasuringBytes(DecoderState* state, JpegPrivate* own) {
  // A file the check refuses is refused before anything of its size is taken.
  if (ReadJpegHeader(state, own) == 0) return 0;
  jpeg_decompress_struct* info = own->info;
  const uint64_t coefficients = CoefficientBytes(info);
  const bool kept = jpeg_has_multiple_scans(info) || coefficients <= kCoefficientMemory;
  // Besides, libjpeg's sample rows (about one row of blocks per component) and our output row; two
  // rows of blocks of every component cover them.
  uint64_t rows = uint64_t{info->output_width} * 4;
  for (int c = 0; c < info->num_components; ++c) {
    const jpeg_component_info& component = info->comp_info[c];
    rows += uint64_t{component.width_in_blocks} * DCTSIZE2 * 2 * static_cast<uint64_t>(component.v_samp_factor);
  }
  return (kept ? coefficients : 0) + rows;
}

// What checking and measuring these bytes takes: the coefficients that libjpeg keeps for a file of
// several scans, or that the measurement of a one-scan file reads, and the rows.
uint64_t JpegMemory(const uint8_t* data, int32_t size) {
  DecoderState state = StateOver(data, size);
  JpegPrivate* own = PrivateOf<JpegPrivate>(&state);
  if (!OpenJpeg(&state, own)) return 0;
  if (setjmp(own->error->exit)) {
    DestroyJpeg(own);
    return 0;
  }
  const uint64_t bytes = MeasuringBytes(&state, own);
  DestroyJpeg(own);
  return bytes;
}

}  // namespace

const ImageDecoder kJpegDecoder = {CheckJpeg, DecodeJpeg, ReleaseJpeg, kTagJpeg, MeasureJpeg, JpegMemory};

void UseJpegDecoder() {
  // Once per InitImageLibrary, which empties the registry.
  if (FindRegisteredDecoder(kTagJpeg) == nullptr) RegisterImageDecoder(&kJpegDecoder);
}

}  // namespace image
