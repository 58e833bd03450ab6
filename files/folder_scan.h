// Numbered enumerations of one folder's entries, in the order find-first/find-next delivers them
// (platform/find.h: sorted, the same on every file system).
#pragma once

#include <cstdint>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace files {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

constexpr int64_t EntryFile = 1;
constexpr int64_t EntryDirectory = 2;

// Opens an enumeration of folder + "/" + pattern ("/" only when the folder is non-empty and does not
// already end in one; an empty pattern means "*.*", an empty folder the current directory).
// Returns 0 on failure (missing or unreadable folder; errno tells why); else the record's identity, which is the new
// number for AnyId and merely non-zero for a fixed number. A folder with no matching entry opens
// with no entries.
int64_t OpenFolderScan(ObjectNumber number, TextView folder, TextView pattern = {});

// Makes the next entry current: non-zero if there was one, 0 at the end or for a number that names
// no open enumeration.
int64_t NextFolderEntry(ObjectNumber number);

Text FolderEntryName(ObjectNumber number);
int64_t FolderEntryKind(ObjectNumber number);   // EntryFile, EntryDirectory, or 0
uint64_t FolderEntrySize(ObjectNumber number);  // full 64-bit size, 0 for no enumeration
// Whether the entry is a link (a symbolic link, a junction) rather than the object itself; its kind
// and size are its target's.
bool FolderEntryIsLink(ObjectNumber number);

// Ends one enumeration; AnyId and numbers that name nothing are ignored.
void CloseFolderScan(ObjectNumber number);

// Ends every open enumeration (at shutdown); nothing when none was ever opened.
void CloseAllFolderScans();

}  // namespace files
