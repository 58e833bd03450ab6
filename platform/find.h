// The find-first/find-next contract: FindFirstFileW on Windows, opendir/readdir elsewhere.
//
// A search path is a folder, "/", and a wildcard pattern. The folder is read whole when the
// enumeration opens and its entries come sorted as platform/name_order.h says, "." and ".." first
// (also where the file system leaves them out); a link to a folder is a folder; "*" and "*.*" match
// every name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeLink = 0x400;  // a symbolic link or other reparse point, described as its target

struct FindData {
  uint32_t attributes = 0;  // kAttributeDirectory for folders
  uint64_t size = 0;        // st_size of the entry (of the link's target when it has one)
  std::u16string name;      // the bare entry name
};

struct FindState;  // an open enumeration
using FindHandle = FindState*;

enum class FindError { None = 0, NothingMatched = 2, PathNotFound = 3, AccessDenied = 5, Other = 31 };

// Opens the enumeration and stores its first matching entry. Returns nullptr on failure with the
// reason in *error (NothingMatched when the folder is readable but nothing matches the pattern) and
// the system's in errno.
FindHandle FindFirstFile(const std::u16string& search_path, FindData* entry, FindError* error);

// Stores the next matching entry; false at the end.
bool FindNextFile(FindHandle handle, FindData* entry);

void FindClose(FindHandle handle);

// The POSIX enumeration's matcher, also the folder tree's file patterns on every system (FindFirstFileW
// matches by itself):
// "?" matches one unit, "*" any run; letters A-Z and a-z match ignoring case. "*.*" matches every
// name, with or without a dot, as on the platform this contract comes from.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);

}  // namespace platform
