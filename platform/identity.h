// Which file-system object a path names, so that a walk can tell a folder it is already inside.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ObjectIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const ObjectIdentity&) const = default;
};

// Follows links. False when the path cannot be examined.
bool IdentityOf(const std::u16string& path, ObjectIdentity* identity);

// Whether the path names something (a link: its target) that can be examined.
inline bool PathExists(const std::u16string& path) {
  ObjectIdentity ignored;
  return IdentityOf(path, &ignored);
}

}  // namespace platform
