#include "platform/file_system_kind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

// The file system type the mount table gives for a mount point, or "".
std::string MountType(const std::string& mount_point) {
  std::ifstream mounts("/proc/self/mounts");
  std::string source, point, type, rest;
  std::string found;
  while (mounts >> source >> point >> type && std::getline(mounts, rest))
    if (point == mount_point) found = type;
  return found;
}

TEST(FileSystemKind, KernelFileSystemsArePseudoAndRealOnesAreNot) {
  testsupport::TempDir dir;
  std::filesystem::create_directory_symlink("/proc", dir.path() / "proc-link");
  struct Case {
    std::string path;
    bool pseudo;
  };
  std::vector<Case> cases = {
      {"/proc", true},
      {"/proc/self/fd", true},
      {dir.str() + "/proc-link", true},  // links are followed
      {"/sys", true},
      {"/", false},
      {dir.str(), false},
      {dir.str() + "/missing", false},
  };
  // The machine decides which of these exist and how they are mounted.
  if (MountType("/dev") == "devtmpfs") cases.push_back({"/dev", true});
  if (MountType("/dev/pts") == "devpts") cases.push_back({"/dev/pts", true});
  if (MountType("/dev/shm") == "tmpfs") cases.push_back({"/dev/shm", false});
  if (MountType("/sys/fs/cgroup") == "cgroup2") cases.push_back({"/sys/fs/cgroup", true});
  for (const Case& c : cases) EXPECT_EQ(IsOnPseudoFileSystem(Utf8ToUtf16(c.path)), c.pseudo) << c.path;
}

}  // namespace
}  // namespace platform
