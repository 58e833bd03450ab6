#include "app/startup.h"

#include "files/folder_scan.h"
#include "files/text_file.h"
#include "image/decoders.h"
#include "image/image.h"
#include "runtime/heap.h"

namespace app {

void StartLibraries() {
  runtime::HeapCreate(4096);
  files::InitFileLibrary();
  image::InitImageLibrary();
}

void RegisterDecoders() {
  image::UsePngDecoder();
  image::UseJpegDecoder();
  image::UseGifDecoder();
}

void StopLibraries() {
  image::ReleaseAllImages();
  files::CloseAllFolderScans();
  files::CloseAllTextFiles();
}

void DestroyHeap() { runtime::HeapDestroy(); }

}  // namespace app
