// Bitmaps and icons. On Windows they are the system's own device-independent bitmaps and icons, so
// a window can show what the decoders made; elsewhere plain heap objects with the same layout stand in
// for them. Either way the pixels are ordinary memory the decoders write directly.
#pragma once

#include <cstdint>

namespace platform {

// What a graphics handle is, as the first field of every object a handle points at.
enum GraphicsKind : uint32_t {
  GraphicsBitmap = 7,         // the desktop's number for a bitmap object
  GraphicsIcon = 0x4E4F4349,  // "ICON"
};

// Pixels are blue, green, red (and alpha at 32 bits), rows padded to a multiple of 4 bytes. A
// positive height stores the bottom row first, a negative height the top row first.
struct Bitmap {
  uint32_t kind;  // GraphicsBitmap
  int32_t width;
  int32_t height;
  int32_t bits_per_pixel;  // 24 or 32
  uint32_t pitch;          // bytes per stored row
  uint8_t* pixels;         // pitch x |height| bytes, zero-filled at creation
  void* native;            // the system's handle (HBITMAP), nullptr where there is none
};

// An icon keeps one colour bitmap of 32 bits per pixel, bottom row first; the icon's transparency
// mask is folded into its alpha bytes.
struct Icon {
  uint32_t kind;  // GraphicsIcon
  Bitmap* color;
  void* native;  // the system's handle (HICON), nullptr where there is none
};

// Bytes per row: 1 bit (w+31)/32*4, 4 bits (w+7)/8*4, 8 bits (w+3)/4*4, 15 or 16 bits (w+1)/2*4,
// 24 bits (3w+3)/4*4, anything else w*4. Computed in 64 bits, so no width overflows it.
int64_t BitmapRowPitch(int64_t width, int32_t bits_per_pixel);

// Largest pixel block a bitmap may hold; beyond it creation fails, as it would on the desktop, so a
// hostile image header cannot make the program allocate without bound.
constexpr uint64_t kBitmapMaxBytes = uint64_t{1} << 31;

// Lowers (or restores) the limit for the process. The fuzz target uses it so that inputs that
// describe huge pictures cost milliseconds instead of seconds each; the program never calls it.
void SetBitmapByteLimit(uint64_t bytes);

// A zero-filled bitmap, or nullptr: width must be 1 or more, height not 0, 24 or 32 bits per pixel,
// and pitch x |height| at most kBitmapMaxBytes (or the lower limit set), checked before the system is
// asked; also nullptr when the memory or the system's bitmap is refused.
Bitmap* CreateBitmap(int32_t width, int32_t height, int32_t bits_per_pixel);

// Whether CreateBitmap would accept this shape (its allocation aside), without allocating.
bool BitmapFits(int32_t width, int32_t height, int32_t bits_per_pixel);
void DeleteBitmap(Bitmap* bitmap);

// The stored row that shows picture row `row_from_top`, whichever way the bitmap is stored;
// nullptr outside the bitmap.
uint8_t* BitmapRow(const Bitmap* bitmap, int32_t row_from_top);

// Builds an icon from an icon file entry's bitmap data (an info header, a colour table for 1, 4 and
// 8 bits, the colour rows and the 1-bit transparency rows, heights counting both halves). Entries of
// 1, 4, 8, 24 and 32 bits without compression are built; anything else, or data too short for
// what its header describes, gives nullptr. Every read stays inside `size` bytes.
Icon* CreateIconFromBitmapData(const uint8_t* data, uint32_t size);

// Wraps a colour bitmap (24 or 32 bits) as an icon; the icon owns the bitmap from then on, also
// when this fails. A 24-bit bitmap is widened to 32 bits and made opaque.
// On Windows the icon's handle is made here from the colour bitmap, with a mask where alpha is 0:
// pixels written into icon->color afterwards do not reach that handle.
Icon* CreateIconFromBitmap(Bitmap* color);

void DestroyIcon(Icon* icon);

// The system's handle behind a bitmap (HBITMAP) or an icon (HICON); nullptr for nullptr and on
// systems without one. The handle belongs to the record: DeleteBitmap and DestroyIcon free it.
void* BitmapNativeHandle(const Bitmap* bitmap);
void* IconNativeHandle(const Icon* icon);

// GraphicsBitmap, GraphicsIcon, or 0 for nullptr.
uint32_t GraphicsKindOf(const void* handle);

// Frees a bitmap or an icon, whichever the handle is.
void DeleteGraphics(void* handle);

// Bitmaps and icons alive now (an icon counts once with its colour bitmap): lets tests see that
// every image gives back what it made.
int64_t LiveGraphicsObjects();

}  // namespace platform
