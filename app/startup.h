// Bringing the runtime's libraries up and down in the order the program relies on.
#pragma once

namespace app {

// The private heap, then the file and image libraries (the image library registers BMP).
void StartLibraries();

// PNG, JPEG and GIF, after every other library, so that the loader tries BMP, PNG, JPEG, GIF.
void RegisterDecoders();

// Releases images, folder enumerations and files, in that order (a file still open is written out).
void StopLibraries();

// The very last step: every block of the private heap goes back at once.
void DestroyHeap();

}  // namespace app
