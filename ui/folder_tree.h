// Folder trees (kind 24): the computer root, its drives (the root file system and the user-visible
// mounted volumes), the home folder, and below them folders and files listed on first expansion.
// On Windows the drives are the drive letters (tag = letter index, path "C:\"), shown by volume label
// and letter, and the home folder's place is taken by the documents folder; there "\" separates and
// a path to select is found with its drive letter in upper case.
//
// The tree's text is the path of the selected item: a drive or folder ends in "/", a file is its full
// path, the computer root and "nothing selected" are "". Its state is 0 (nothing selected), 1 (a file)
// or 2 (anything else); the item text of a position is the path of the item at that place in pre-order
// over every item the tree holds (0 = the computer root).
//
// Setting the text: "" or "/" rebuilds the tree; a text without "/" becomes the file pattern (";"
// separates several) and the selection is looked up again after the rebuild; a text ending in "/" is
// a path to select; anything else is a path to select followed by a pattern.
//
// Events: the selection changing posts WidgetEventChange (a press on an unselected item selects it,
// so a click gives WidgetEventChange, then WidgetEventLeftClick on release); a right click selects the
// item under it on release (WidgetEventChange when that changes the selection), then posts
// WidgetEventRightClick; double-clicks WidgetEventDoubleClick and
// WidgetEventRightDoubleClick; dragging an item WidgetEventDragStart after selecting it, with its
// pre-order position in the control's "VX_DragItems" property. Expanding and collapsing post nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"
#include "ui/drive_table.h"
#include "ui/folder_tree_rules.h"

namespace ui {

// Colour selectors of the tree (platform colour values 0x00BBGGRR, -1 = default).
constexpr int64_t kTreeColourText = 1;
constexpr int64_t kTreeColourBackground = 2;
constexpr int64_t kTreeColourLines = 3;

// Creates a tree in the current widget container with the flags of folder_tree_rules.h, then sets its
// text to "" (which builds it) and to `path`. Returns what RegisterWidget returns; 0 without a
// container window.
int64_t FolderTreeCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         runtime::TextView path, uint32_t flags = 0);

// Where the trees learn the mount table and ask a volume whether it is ready. The defaults read the
// system's mount table and call statvfs; tests substitute their own. `nullptr` restores the default.
// A new reader is first used at the next reading (the first tree, or FolderTreeMountsChanged).
//
// On Windows the reader lists the drives instead of GetLogicalDrives: an entry's mount point names a
// drive root ("C:\", "C:" or "c:\"; other entries are ignored) and its label is the volume label;
// the default asks GetLogicalDrives and GetVolumeInformationW. The space query gets the drive root
// and returns 0 or the system error of GetDiskFreeSpaceW; ERROR_NOT_READY (21) means "no medium"
// and opens the prompt, any other failure only leaves the drive unlisted.
using MountTableReader = std::vector<MountEntry> (*)();
using VolumeSpaceQuery = int (*)(runtime::TextView mount_point);  // 0, or the errno of the failure
void SetMountTableReader(MountTableReader reader);
void SetVolumeSpaceQuery(VolumeSpaceQuery query);

// Reads the mount table again and brings every tree in line: arrived volumes get a drive item (or
// have theirs refreshed and emptied), removed ones lose theirs. The trees call it themselves when the
// system's mount table changes; on Windows when the watched top-level window gets WM_DEVICECHANGE
// for a volume, which also refreshes and empties the drives it names that stayed (a medium changed).
void FolderTreeMountsChanged();

}  // namespace ui
