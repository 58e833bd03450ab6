// What kind of file system a folder lies on, so that a walk can keep out of the kernel's own.
#pragma once

#include <string>

namespace platform {

// True when the path (links followed) lies on a kernel pseudo file system: proc, sysfs, devtmpfs,
// devpts, cgroup, cgroup2, debugfs, tracefs, securityfs, pstore, bpf, configfs, fusectl, mqueue,
// hugetlbfs, binfmt_misc or autofs. They hold no user files, and some never end. tmpfs is a real
// file system. False when the path cannot be examined.
bool IsOnPseudoFileSystem(const std::u16string& path);

}  // namespace platform
