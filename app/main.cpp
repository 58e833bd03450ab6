#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/batch.h"
#include "app/shell.h"

namespace {

void PrintUsage(std::FILE* stream) {
  std::fputs(
      "usage: scene-builder          open the window\n"
      "       scene-builder DIR      write DIR/image_scan.pov without a window, listing each image found\n"
      "       scene-builder --jobs N DIR   the same, measuring images on N threads (1: one thread)\n"
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
  if (argc == 2) return app::RunBatch(argv[1], 0);
  if (argc == 4 && !std::strcmp(argv[1], "--jobs")) {
    char* end = nullptr;
    const long jobs = std::strtol(argv[2], &end, 10);
    if (*argv[2] != '\0' && *end == '\0' && jobs >= 1 && jobs <= 1024) return app::RunBatch(argv[3], static_cast<int>(jobs));
  }
  PrintUsage(stderr);
  return 2;
}
