// The window's entry point where the widget layer has no native backend yet: batch mode works, and a
// start without a folder says so instead of failing silently.
#include <cstdio>

#include "app/shell.h"

namespace app {

int RunWindow(int&, char**) {
  std::fputs("scene-builder: this build has no window yet; it comes with the next release.\n"
             "Give a folder to build its scene without a window: scene-builder DIR\n", stderr);
  return 1;
}

}  // namespace app
