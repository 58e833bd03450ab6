#include "ui/drive_table.h"

#include <algorithm>
#include <map>

namespace ui {

namespace {

bool StartsWith(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsUnder(TextView path, TextView folder) {
  return path.size() > folder.size() && StartsWith(path, folder) && path[folder.size()] == u'/';
}

bool IsPseudoFileSystem(TextView type) {
  static constexpr TextView kPseudo[] = {u"proc",       u"sysfs",   u"tmpfs",       u"devtmpfs",        u"devpts",
                                         u"cgroup",     u"cgroup2", u"securityfs",  u"debugfs",         u"tracefs",
                                         u"configfs",   u"fusectl", u"mqueue",      u"hugetlbfs",       u"pstore",
                                         u"bpf",        u"autofs",  u"binfmt_misc", u"efivarfs",        u"ramfs",
                                         u"rpc_pipefs", u"nsfs",    u"fuse.portal", u"fuse.gvfsd-fuse", u"overlay"};
  return std::find(std::begin(kPseudo), std::end(kPseudo), type) != std::end(kPseudo);
}

}  // namespace

bool IsUserVolume(const MountEntry& entry) {
  if (entry.mount_point == u"/") return true;
  const bool user_place = IsUnder(entry.mount_point, u"/media") || IsUnder(entry.mount_point, u"/run/media") ||
                          IsUnder(entry.mount_point, u"/mnt");
  return user_place && !IsPseudoFileSystem(entry.fs_type);
}

Text DriveDisplayName(const MountEntry& entry) {
  if (!entry.label.empty()) return entry.label;
  TextView mount = entry.mount_point;
  while (mount.size() > 1 && mount.back() == u'/') mount.remove_suffix(1);
  const size_t slash = mount.rfind(u'/');
  if (slash == TextView::npos || slash + 1 == mount.size()) return Text(mount.empty() ? TextView(u"/") : mount);
  return Text(mount.substr(slash + 1));
}

Text DrivePathOf(TextView mount_point) {
  if (!mount_point.empty() && mount_point.back() == u'/') return Text(mount_point);
  return runtime::TextConcat({mount_point, u"/"});
}

std::vector<MountEntry> UserVolumes(const std::vector<MountEntry>& mounts) {
  std::vector<MountEntry> user;
  for (const MountEntry& m : mounts) {
    if (IsUserVolume(m)) user.push_back(m);
  }
  return user;
}

DriveChange UpdateDriveTable(DriveTable* table, const std::vector<MountEntry>& mounts) {
  // Root first, then by mount point; a later line for the same mount point hides the earlier one.
  std::map<Text, MountEntry> volumes;
  for (const MountEntry& m : mounts) volumes[m.mount_point] = m;
  DriveChange change;
  // Drives that stay keep their index; the others leave.
  for (uint32_t i = 0; i < kMaxDrives; ++i) {
    if (!table->present[i]) continue;
    auto it = volumes.find(table->drives[i].mount_point);
    if (it == volumes.end()) {
      table->present[i] = false;
      table->drives[i] = MountEntry{};
      change.removed |= uint64_t{1} << i;
    } else {
      table->drives[i] = it->second;
      volumes.erase(it);
    }
  }
  // std::map orders "/" before every other absolute path, so the root takes the first free index.
  uint32_t next = 0;
  for (auto& [mount_point, entry] : volumes) {
    while (next < kMaxDrives && table->present[next]) ++next;
    if (next == kMaxDrives) break;
    table->present[next] = true;
    table->drives[next] = entry;
    change.arrived |= uint64_t{1} << next;
  }
  return change;
}

uint64_t DriveMask(const DriveTable& table) {
  uint64_t mask = 0;
  for (uint32_t i = 0; i < kMaxDrives; ++i) {
    if (table.present[i]) mask |= uint64_t{1} << i;
  }
  return mask;
}

std::vector<Text> DrivePaths(const DriveTable& table) {
  std::vector<Text> paths(kMaxDrives);
  for (uint32_t i = 0; i < kMaxDrives; ++i) {
    if (table.present[i]) paths[i] = DrivePathOf(table.drives[i].mount_point);
  }
  return paths;
}

}  // namespace ui
