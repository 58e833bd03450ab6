#include "platform/file_system_kind.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstring>

#include "platform/file.h"

namespace platform {
namespace {

// statfs f_type values, as the kernel's magic.h has them.
constexpr unsigned long kPseudoTypes[] = {
    0x9fa0,      // proc
    0x62656572,  // sysfs
    0x1cd1,      // devpts
    0x27e0eb,    // cgroup
    0x63677270,  // cgroup2
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x6165676c,  // pstore
    0xcafe4a11,  // bpf
    0x62656570,  // configfs
    0x65735543,  // fusectl
    0x19800202,  // mqueue
    0x958458f6,  // hugetlbfs
    0x42494e4d,  // binfmt_misc
    0x0187,      // autofs
};
constexpr unsigned long kTmpfsType = 0x01021994;
constexpr unsigned long kRamfsType = 0x858458f6;

// devtmpfs reports the type of the tmpfs (or ramfs) it is built on, so only the mount table tells
// the two apart: the file system type of the mount whose device is `device`.
bool MountedAsDevtmpfs(dev_t device) {
  std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
  if (!table) return false;
  char line[4096];
  bool found = false;
  unsigned major_number = 0, minor_number = 0;
  while (!found && std::fgets(line, sizeof line, table)) {
    // "id parent major:minor root mount-point options [optional fields] - type source options"
    if (std::sscanf(line, "%*d %*d %u:%u", &major_number, &minor_number) != 2) continue;
    if (major_number != major(device) || minor_number != minor(device)) continue;
    const char* separator = std::strstr(line, " - ");
    found = separator && std::strncmp(separator + 3, "devtmpfs ", 9) == 0;
  }
  std::fclose(table);
  return found;
}

}  // namespace

bool IsOnPseudoFileSystem(const std::u16string& path) {
  const std::string bytes = PathBytes(path);
  struct statfs info;
  if (bytes.empty() || bytes.find('\0') != std::string::npos || statfs(bytes.c_str(), &info) != 0) return false;
  const auto type = static_cast<unsigned long>(info.f_type);
  for (unsigned long pseudo : kPseudoTypes)
    if (type == pseudo) return true;
  if (type != kTmpfsType && type != kRamfsType) return false;
  struct stat st;
  return stat(bytes.c_str(), &st) == 0 && MountedAsDevtmpfs(st.st_dev);
}

}  // namespace platform
