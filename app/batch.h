// The scene build without a window, for scripts: scene-builder DIR.
#pragma once

#include <string>

#include "runtime/text.h"

namespace app {

// Builds DIR/image_scan.pov, printing each image's relative path (UTF-8) on standard output. `jobs` is
// the number of measuring threads asked for on the command line, 0 for the default. Returns the process
// exit code: 0, or 1 when the scene file cannot be written.
int RunBatch(const std::string& folder_argument, int jobs);

}  // namespace app
