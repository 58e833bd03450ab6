#include "platform/file_system_kind.h"

namespace platform {

// Windows has no kernel file systems mounted among the user's folders: every folder is walked.
bool IsOnPseudoFileSystem(const std::u16string&) { return false; }

}  // namespace platform
