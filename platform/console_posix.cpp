#include "platform/console.h"

namespace platform {

// A terminal program's streams are the terminal's already.
void AttachParentConsole() {}

}  // namespace platform
