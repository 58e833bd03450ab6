// Numbered images. A load reads the whole file, tries it as an icon file, and otherwise offers it
// to each registered decoder in registration order; the first that accepts decodes every frame into
// a bitmap. Which decoder handles a file depends only on its bytes, never on its name.
//
// Results, not exceptions: every failure is a 0 result. There is one DecoderState for the process,
// so loads run one at a time, from one thread.
#pragma once

#include <cstdint>
#include <string>

#include "image/decoder.h"
#include "runtime/registry.h"

namespace image {

using runtime::AnyId;
using runtime::ObjectNumber;

// One frame of a multi-frame image.
struct FrameEntry {
  void* bitmap;    // platform::Bitmap*, or nullptr for a frame that could not be made
  uint32_t delay;  // milliseconds
};

// The record of one numbered image. Width and height are kept in full 32 bits: a 40000-pixel-wide
// image reads back as 40000.
struct ImageObject {
  void* handle;  // platform::Bitmap* (frame 0 of a multi-frame image) or platform::Icon*; first, so
                 // that an empty record counts as free
  int32_t width;
  int32_t height;
  uint8_t depth;         // bits per pixel of the bitmap: 24 or 32
  uint8_t source_depth;  // bits per pixel of the encoded data
  uint32_t tag;          // kTagBmp, kTagPng, kTagJpeg, kTagGif or kTagIcon
  int32_t frame_count;
  int32_t delay;       // milliseconds, of frame 0
  FrameEntry* frames;  // frame_count entries when frame_count >= 2, else nullptr
};

constexpr int32_t kDecoderSlots = 30;

// The bitmaps of one image together stay within this many bytes: a frame that would pass it is not
// made and keeps an empty handle, as a frame that cannot be made does, so a few kilobytes of
// animation cannot take all memory. The decoders' own working memory (libjpeg's coefficients,
// giflib's frames) is held to the same budget, apart from the bitmaps: a file that would need more
// gives no image. A fuzzing build lowers it (SB_IMAGE_MAX_BYTES) so that inputs reach it quickly.
#ifndef SB_IMAGE_MAX_BYTES
#define SB_IMAGE_MAX_BYTES (uint64_t{1} << 31)
#endif
constexpr uint64_t kImageMaxBytes = SB_IMAGE_MAX_BYTES;

// Lowers (or restores) that budget for the process. The fuzz targets use it so that inputs of many
// large frames cost milliseconds; the program never calls it.
void SetImageByteBudget(uint64_t bytes);
uint64_t ImageByteBudget();

// Empties the decoder registry, zero-fills the decoder state, registers the BMP decoder and makes
// the image registry (grow step 16, release operation ReleaseImage). Called again, it first releases
// every image and keeps the registry.
void InitImageLibrary();

// Appends a decoder to the registry. Beyond kDecoderSlots decoders, or for nullptr, nothing happens.
void RegisterImageDecoder(const ImageDecoder* decoder);

// The first registered decoder with this tag, or nullptr. Lets a decoder's Use... operation
// register itself only once per InitImageLibrary.
const ImageDecoder* FindRegisteredDecoder(uint32_t tag);

// Number of registered decoders.
int32_t RegisteredDecoderCount();

// Loads a regular file (links to one included) with one whole read under a shared lock. Files of
// 2 GiB or more, FIFOs, devices and folders fail without being read. For a fixed number: the
// image's handle as a number; for AnyId: the new image's number; 0 on any failure. A file that
// cannot be opened or read leaves the number untouched.
ObjectNumber LoadImageFile(ObjectNumber number, const std::u16string& path);

// As LoadImageFile, from encoded bytes that the caller keeps. Whatever the number held before is
// released first, whatever the outcome.
ObjectNumber LoadImageMemory(ObjectNumber number, const void* data, int32_t size);

// The icon that an icon file's bytes describe (platform::Icon*), or nullptr when the bytes are not
// an icon file (cursor files included) or its chosen entry cannot be built.
void* IconFromMemory(const void* data, int32_t size);

// Width and height as stored, 0 when the number names no image.
int64_t ImagePixelWidth(ObjectNumber number);
int64_t ImagePixelHeight(ObjectNumber number);

// The live record of an image, or nullptr. For inspecting the bitmaps; the image owns them.
const ImageObject* FindImage(ObjectNumber number);

// Frees an image and its bitmaps; AnyId frees every image. A number that names nothing is ignored.
void ReleaseImage(ObjectNumber number);
void ReleaseAllImages();

// The decoder state's life: OpenDecoder finds the decoder that accepts the data and returns its tag
// (0: none did, nothing left open); DecodeFrame decodes the next frame; CloseDecoder frees what the
// decoder holds.
uint32_t OpenDecoder(const void* data, int32_t size);
int DecodeFrame(uint8_t* rows, uint32_t pitch, uint32_t flags);
void CloseDecoder();

// The process's one decoder state, or nullptr before InitImageLibrary.
DecoderState* CurrentDecoderState();

// A new bitmap (platform::Bitmap*) of the open state's width, height and depth with the next frame
// decoded into it, or nullptr when it cannot be made or decoded.
void* CreateFrameBitmap();

// Bytes per row of a bitmap of this width and depth (the platform's rule), in 64 bits.
int64_t RowPitch(int64_t width, int32_t bits_per_pixel);

// The BMP decoder's record (registered by InitImageLibrary).
const ImageDecoder* BmpDecoder();

}  // namespace image
