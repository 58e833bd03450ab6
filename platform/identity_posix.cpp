#include "platform/identity.h"

#include <sys/stat.h>

#include "platform/file.h"

namespace platform {

bool IdentityOf(const std::u16string& path, ObjectIdentity* identity) {
  const std::string bytes = PathBytes(path);
  struct stat st;
  if (bytes.empty() || bytes.find('\0') != std::string::npos || stat(bytes.c_str(), &st) != 0) return false;
  identity->device = static_cast<uint64_t>(st.st_dev);
  identity->inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

}  // namespace platform
