// The folder tree's own rules, kept apart from the tree control: item tags, the path of an item, what
// setting the tree's text means, file patterns, the listing of one folder and the icon cache key.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/text.h"

namespace ui {

using runtime::Text;
using runtime::TextView;

// Item tags. The low byte is the kind; a drive's low byte is its drive index.
constexpr uint32_t kTagFolder = 252;
constexpr uint32_t kTagHome = 253;
constexpr uint32_t kTagFile = 255;
constexpr uint32_t kTagComputer = 65531;  // low byte 251
constexpr uint32_t kTagPopulated = 0xff00;
constexpr uint32_t kMaxDrives = 33;  // drive indices 0 .. 32

constexpr uint32_t TagKind(uint32_t tag) { return tag & 0xff; }
constexpr bool TagIsDrive(uint32_t tag) { return TagKind(tag) < kMaxDrives; }
constexpr bool TagIsPopulated(uint32_t tag) { return (tag & kTagPopulated) == kTagPopulated; }

// Creation flags.
constexpr uint32_t kTreeNoHome = 1;
constexpr uint32_t kTreeFoldersOnly = 2;
constexpr uint32_t kTreeNoDrivePrompt = 4;
constexpr uint32_t kTreeSorted = 8;
constexpr uint32_t kTreeNoEdge = 0x10;
constexpr uint32_t kTreeShowSelectionAlways = 0x20;
constexpr uint32_t kTreeNoLines = 0x4000;
constexpr uint32_t kTreeNoButtons = 0x8000;

// Longest path the tree builds or accepts, in bytes of its UTF-8 form (on Windows in UTF-16 units,
// 259): the platform's path limit less the terminating zero. Longer folders are left out of a
// listing and longer texts are refused.
//
// Paths separate their names with the system's separator (platform/path.h): "/" on Linux, "\" on
// Windows, where "/" is read as a separator too.
uint64_t TreePathLimit();
bool PathFits(TextView path);

// One step of the walk from an item up to the computer root. `drive_path` is the drive's mount point
// with a trailing "/" (only read for drives), `home_path` the home folder with a trailing "/". Returns
// false when the walk ends here (the computer root).
bool PrependItemPath(Text* path, uint32_t tag, TextView name, TextView drive_path, TextView home_path);

// What a text handed to the tree asks for.
enum class TreeTextAction {
  Rebuild,               // "" or "/": rebuild, select nothing
  PatternKeepSelection,  // no "/": new pattern, rebuild, select the previous selection again
  Select,                // ends in "/": select that path, no rebuild
  SelectWithPattern,     // folder part and pattern: new pattern, rebuild, select the folder
  Refuse,                // longer than the path limit: nothing changes
};

struct TreeTextPlan {
  TreeTextAction action = TreeTextAction::Rebuild;
  Text select_path;  // for Select and SelectWithPattern
  Text pattern;      // for PatternKeepSelection and SelectWithPattern
};

TreeTextPlan PlanTreeText(TextView text);

// The pattern list: the pattern split at ";", empty pieces dropped.
std::vector<Text> SplitPatterns(TextView pattern);

// True when the list is empty, holds "*" or "*.*", or one pattern matches by wildcards ("?" one unit,
// "*" any run, ASCII letters ignoring case).
bool NameMatchesPatterns(const std::vector<Text>& patterns, TextView name);

// Splits a path to select into the drive it lies on and the folder names below the drive.
// `drive_paths` holds each drive's path ("/" or mount point + "/"), empty for a free drive slot; the
// drive whose path is the longest prefix wins. Returns false when no drive holds the path.
bool SplitSelectPath(TextView path, const std::vector<Text>& drive_paths, uint32_t* drive, std::vector<Text>* names);

// Index of the candidate equal to `name`: an exact match first, then one that ignores case; -1 when
// none matches.
int FindNameMatch(const std::vector<Text>& candidates, TextView name);

// Ordering used by sorted trees: text ignoring case, then unit by unit so that the order is total.
bool NameLessIgnoringCase(TextView a, TextView b);

struct ListedFolder {
  Text name;
  bool has_children = false;
};

struct FolderListing {
  std::vector<ListedFolder> folders;
  std::vector<Text> files;
};

// Lists the children of the folder at `path` (ending in "/"): its sub-folders ("." and ".." left out,
// hidden ones kept), each with whether it has children of its own, and unless `folders_only` the files
// that match the patterns. A sub-folder has children when it holds a folder, or (unless
// `folders_only`) a matching file. With `sorted`, both lists are ordered by NameLessIgnoringCase;
// otherwise they keep the file system's order. A folder that cannot be read lists nothing.
FolderListing ListFolderChildren(TextView path, const std::vector<Text>& patterns, bool folders_only, bool sorted);

// The key under which a file's icon is cached: the upper-cased text after the name's last "." (empty
// without a dot). Nothing for extensions over 4 units and for EXE, ICO, LNK and ICL, whose icons
// differ from file to file.
std::optional<Text> IconCacheKey(TextView file_name);

}  // namespace ui
