// The tree's "drives": the root file system and the user-visible mounted volumes, each holding a drive
// index (0 .. 32) for as long as it stays mounted, so that the tree items tagged with that index keep
// naming the same volume while others come and go.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "runtime/text.h"
#include "ui/folder_tree_rules.h"

namespace ui {

// One line of the mount table.
struct MountEntry {
  Text mount_point;
  Text fs_type;
  Text device;
  Text label;  // volume label, may be empty
};

// "/" and real file systems mounted under /media, /run/media or /mnt; pseudo file systems are not
// volumes a user picks folders from.
bool IsUserVolume(const MountEntry& entry);

// The volume label, else the mount point's last name ("/" for the root).
Text DriveDisplayName(const MountEntry& entry);

// The drive's path contribution: the mount point followed by "/" ("/" for the root).
Text DrivePathOf(TextView mount_point);

struct DriveTable {
  std::array<bool, kMaxDrives> present{};
  std::array<MountEntry, kMaxDrives> drives;
};

// Bit n stands for drive index n.
struct DriveChange {
  uint64_t arrived = 0;
  uint64_t removed = 0;
};

// The user volumes among the mount table's lines.
std::vector<MountEntry> UserVolumes(const std::vector<MountEntry>& mounts);

// Brings the table in line with the volumes (the root first, then the others by mount point; a mount
// point listed twice counts once, its last mount winning): a drive that is still mounted keeps its
// index, a new one gets the lowest free index. Volumes beyond the 33 indices are left out. A drive
// whose label changed keeps its index and is not reported.
DriveChange UpdateDriveTable(DriveTable* table, const std::vector<MountEntry>& volumes);

// Present drives as a bit mask.
uint64_t DriveMask(const DriveTable& table);

// Each index's drive path, empty for a free index.
std::vector<Text> DrivePaths(const DriveTable& table);

}  // namespace ui
