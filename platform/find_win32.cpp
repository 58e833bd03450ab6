#include "platform/find.h"

#include <windows.h>
// The header's A/W macros would rename this file's own definitions.
#undef FindFirstFile
#undef FindNextFile

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/name_order.h"

// FindFirstFileW and FindNextFileW match the pattern; the whole folder is read at the first call
// and handed out in name order, because FAT, exFAT and network shares deliver entries in whatever
// order they were written, and a scene must come out the same on every volume and system.
namespace platform {

struct FindState {
  std::vector<FindData> entries;
  size_t next = 0;
};

namespace {

FindData EntryOf(const WIN32_FIND_DATAW& found) {
  FindData entry;
  entry.attributes = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? kAttributeDirectory : 0) |
                     (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? kAttributeLink : 0);
  entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
  entry.name = reinterpret_cast<const char16_t*>(found.cFileName);
  return entry;
}

// The callers name a folder they cannot read with the C library's words for why.
int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_NOT_READY: return ENXIO;
    default: return EIO;
  }
}

FindError ErrorFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES: return FindError::NothingMatched;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:  // a file stands where the folder should be
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY: return FindError::PathNotFound;
    case ERROR_ACCESS_DENIED: return FindError::AccessDenied;
    default: return FindError::Other;
  }
}

// FAT, exFAT and network shares hand out names unsorted; the POSIX enumeration's rule makes every
// listing and scene file the same on every system.
void SortEntries(std::vector<FindData>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const FindData& a, const FindData& b) { return EntryNameBefore(a.name, b.name); });
}

}  // namespace

FindHandle FindFirstFile(const std::u16string& search_path, FindData* entry, FindError* error) {
  if (search_path.empty() || search_path.find(u'\0') != std::u16string::npos) {
    *error = FindError::PathNotFound;
    return nullptr;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(reinterpret_cast<const wchar_t*>(search_path.c_str()), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD failed = ::GetLastError();
    *error = ErrorFor(failed);
    errno = ErrnoFor(failed);
    return nullptr;
  }
  auto* state = new FindState;
  do state->entries.push_back(EntryOf(found));
  while (::FindNextFileW(search, &found));
  const DWORD stopped = ::GetLastError();
  ::FindClose(search);
  if (stopped != ERROR_NO_MORE_FILES) {
    // A folder that cannot be read to its end would give a scene that depends on where it broke.
    delete state;
    *error = ErrorFor(stopped) == FindError::NothingMatched ? FindError::Other : ErrorFor(stopped);
    errno = ErrnoFor(stopped);
    return nullptr;
  }
  SortEntries(state->entries);
  *error = FindError::None;
  *entry = state->entries[state->next++];
  return state;
}

bool FindNextFile(FindHandle handle, FindData* entry) {
  if (!handle || handle->next >= handle->entries.size()) return false;
  *entry = handle->entries[handle->next++];
  return true;
}

void FindClose(FindHandle handle) { delete handle; }

}  // namespace platform
