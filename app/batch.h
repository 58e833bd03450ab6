// The scene build without a window, for scripts: scene-builder DIR.
#pragma once

#include "runtime/text.h"

namespace app {

// The folder text the tree would give for a command-line folder: the folder the kernel resolves it to
// (links followed, then ".."), ending in "/"; a folder that does not exist is named as given, made
// absolute.
runtime::Text FolderTextForArgument(const char* argument);

// Builds DIR/image_scan.pov, printing each image's relative path on standard output, with `jobs`
// threads measuring images (0: the default, see MeasuringThreads). Returns the process exit code: 0,
// or 1 when the scene file cannot be written.
// Builds DIR/image_scan.pov, printing each image's relative path on standard output. `jobs` is the
// number of measuring threads asked for on the command line, 0 for the default. Returns the process
// exit code: 0, or 1 when the scene file cannot be written.
int RunBatch(const char* folder_argument, int jobs);

}  // namespace app
