// Heap bitmaps: no windowing system is involved, so images can be decoded and measured anywhere.
#include <cstdlib>

#include "platform/bitmap_system.h"

namespace platform {

Bitmap* AllocateBitmap(int32_t, int32_t, int32_t, uint64_t bytes) {
  auto* bitmap = static_cast<Bitmap*>(std::calloc(1, sizeof(Bitmap)));
  if (!bitmap) return nullptr;
  bitmap->pixels = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(bytes)));
  if (!bitmap->pixels) {
    std::free(bitmap);
    return nullptr;
  }
  return bitmap;
}

void FreeBitmap(Bitmap* bitmap) {
  std::free(bitmap->pixels);
  std::free(bitmap);
}

bool AttachIconHandle(Icon*) { return true; }
void ReleaseIconHandle(Icon*) {}

}  // namespace platform
