#include "tests/image/encoders.h"

#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <stdexcept>

namespace testimg {
namespace {

// Samples packed big-endian into rows of the PNG's bit depth.
Bytes PackRows(const PngSource& s, size_t row_bytes) {
  const size_t per_row = s.samples.size() / s.height;
  Bytes rows(row_bytes * s.height, 0);
  for (int y = 0; y < s.height; ++y) {
    uint8_t* row = rows.data() + y * row_bytes;
    for (size_t i = 0; i < per_row; ++i) {
      const uint16_t v = s.samples[y * per_row + i];
      if (s.bit_depth == 16)
        row[2 * i] = uint8_t(v >> 8), row[2 * i + 1] = uint8_t(v);
      else
        row[i * s.bit_depth / 8] |= uint8_t(v << (8 - s.bit_depth - i * s.bit_depth % 8));
    }
  }
  return rows;
}

void AppendPng(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void FlushNothing(png_structp) {}

// Plain locals only: libpng's errors longjmp here.
bool WritePng(const PngSource& s, png_bytepp row_pointers, Bytes* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendPng, FlushNothing);
  png_set_IHDR(png, info, s.width, s.height, s.bit_depth, s.color_type,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color colours[256];
  for (size_t i = 0; i < s.palette.size(); ++i) colours[i] = {s.palette[i][0], s.palette[i][1], s.palette[i][2]};
  if (!s.palette.empty()) png_set_PLTE(png, info, colours, int(s.palette.size()));
  png_color_16 colour{};
  if (s.trns) colour.gray = colour.red = (*s.trns)[0], colour.green = (*s.trns)[1], colour.blue = (*s.trns)[2];
  if (!s.palette_alpha.empty() || s.trns)
    png_set_tRNS(png, info, s.palette_alpha.data(), int(s.palette_alpha.size()), s.trns ? &colour : nullptr);
  png_write_info(png, info);
  png_write_image(png, row_pointers);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

int AppendGif(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<Bytes*>(gif->UserData)->insert(static_cast<Bytes*>(gif->UserData)->end(), data, data + length);
  return length;
}

ColorMapObject* MakeMap(const std::vector<GifColorType>& colours) {
  return colours.empty() ? nullptr : GifMakeMapObject(int(colours.size()), colours.data());
}

}  // namespace

Bytes EncodePng(const PngSource& s) {
  const size_t row_bytes = (s.samples.size() / s.height * s.bit_depth + 7) / 8;
  Bytes rows = PackRows(s, row_bytes), out;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < s.height; ++y) pointers.push_back(rows.data() + y * row_bytes);
  if (!WritePng(s, pointers.data(), &out)) throw std::runtime_error("libpng could not write the test image");
  return out;
}

Bytes EncodeJpeg(const JpegSource& s) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(s.width);
  info.image_height = JDIMENSION(s.height);
  info.input_components = s.components;
  info.in_color_space = s.components == 1 ? JCS_GRAYSCALE : s.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, s.quality, TRUE);
  if (s.progressive) jpeg_simple_progression(&info);
  std::vector<jpeg_scan_info> scans;
  for (int c = 0; s.scan_per_component && c < info.num_components; ++c) scans.push_back({1, {c}, 0, 63, 0, 0});
  if (!scans.empty()) info.scan_info = scans.data(), info.num_scans = int(scans.size());
  jpeg_start_compress(&info, TRUE);
  const size_t stride = size_t(s.width) * s.components, rows = s.samples.size() / stride;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(s.samples.data() + info.next_scanline % rows * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

Bytes Resized(Bytes jpeg, unsigned width, unsigned height) {
  size_t sof = 2;
  while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && (jpeg[sof + 1] == 0xC0 || jpeg[sof + 1] == 0xC2))) ++sof;
  jpeg.at(sof + 5) = uint8_t(height >> 8), jpeg[sof + 6] = uint8_t(height);
  jpeg[sof + 7] = uint8_t(width >> 8), jpeg[sof + 8] = uint8_t(width);
  return jpeg;
}

Bytes EncodeGif(const GifSource& s) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendGif, &error);
  if (gif == nullptr) throw std::runtime_error("giflib could not open a writer");
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = MakeMap(s.global_map);
  bool ok = EGifPutScreenDesc(gif, s.width, s.height, 8, s.background, global) == GIF_OK;
  GifFreeMapObject(global);
  for (const GifFrameSource& f : s.frames) {
    if (f.control) {
      GraphicsControlBlock control{f.disposal, false, f.delay, f.transparent};
      GifByteType block[4];
      const size_t length = EGifGCBToExtension(&control, block);
      ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block) == GIF_OK;
    }
    ColorMapObject* local = MakeMap(f.local_map);
    ok = ok && EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, local) == GIF_OK;
    GifFreeMapObject(local);
    for (int y = 0; ok && y < f.height; ++y)
      ok = EGifPutLine(gif, const_cast<GifPixelType*>(f.indices.data() + size_t(y) * f.width), f.width) == GIF_OK;
  }
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  if (!ok) throw std::runtime_error("giflib could not write the test image");
  return out;
}

Decoded DecodeWith(const image::ImageDecoder& decoder, const Bytes& bytes, bool top_down) {
  Decoded result;
  image::DecoderState state{};
  state.data = bytes.data();
  state.size = int32_t(bytes.size());
  state.frame_count = 1;
  result.accepted = decoder.check(&state);
  if (!result.accepted) return result;
  state.decoder = &decoder;
  result.width = state.width, result.height = state.height, result.depth = state.depth;
  result.source_depth = state.source_depth;
  const size_t row_bytes = size_t(state.width) * state.depth / 8, pitch = (row_bytes + 3) / 4 * 4 + 8;
  for (int frame = 0; frame < state.frame_count; ++frame) {
    Bytes buffer(pitch * state.height, 0xEE);  // the room past each row shows stray writes
    const uint32_t flags = top_down ? 0 : image::DecodeBottomUp;
    result.frame_ok.push_back(decoder.decode(&state, buffer.data(), uint32_t(pitch), flags));
    result.delays.push_back(state.frame_delay);
    Bytes rows;
    for (int y = 0; y < state.height; ++y) {
      const uint8_t* row = buffer.data() + size_t(top_down ? y : state.height - 1 - y) * pitch;
      rows.insert(rows.end(), row, row + row_bytes);
      for (size_t i = row_bytes; i < pitch; ++i) result.padding_intact &= row[i] == 0xEE;
    }
    result.frames.push_back(std::move(rows));
  }
  decoder.release(&state, &decoder);
  return result;
}

}  // namespace testimg
