#include <cstdio>
#include <cstring>

#include "app/batch.h"
#include "app/shell.h"

namespace {

void PrintUsage(std::FILE* stream) {
  std::fputs(
      "usage: scene-builder          open the window\n"
      "       scene-builder DIR      write DIR/image_scan.pov without a window, listing each image found\n"
      "The templates pov_image_read_A.txt and pov_image_read_B.txt are read from the current directory.\n",
      stream);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return app::RunWindow(argc, argv);
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    PrintUsage(stdout);
    return 0;
  }
  if (argc == 2) return app::RunBatch(argv[1]);
  PrintUsage(stderr);
  return 2;
}
