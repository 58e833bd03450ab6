#include "platform/console.h"

#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

// A window program started from a console has no standard handle unless the command line
// redirected it.
bool Missing(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h == nullptr || h == INVALID_HANDLE_VALUE;
}

}  // namespace

void AttachParentConsole() {
  const bool out = Missing(STD_OUTPUT_HANDLE);
  const bool err = Missing(STD_ERROR_HANDLE);
  if (!out && !err) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  // The C streams were set up without a handle: open them on the console now.
  if (out && std::freopen("CONOUT$", "w", stdout) != nullptr) std::setvbuf(stdout, nullptr, _IOLBF, 4096);
  if (err && std::freopen("CONOUT$", "w", stderr) != nullptr) std::setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace platform
