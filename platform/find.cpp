#include "platform/find.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "platform/name_order.h"
#include "platform/unicode.h"

namespace platform {

// The whole folder, read and sorted when the enumeration opens.
struct FindState {
  std::vector<FindData> entries;
  size_t next = 0;
};

namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Kind and size as find-next reports them. Follows links, so that a link to a folder is a folder; a
// dangling link is reported as itself.
void DescribeEntry(int dir_fd, const char* name, FindData* entry) {
  struct stat st;
  if (fstatat(dir_fd, name, &st, 0) != 0 && fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) st = {};
  entry->attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
  entry->size = static_cast<uint64_t>(st.st_size);
}

// Every entry matching the pattern, "." and ".." among them even where readdir leaves them out.
// False when reading failed before anything was found.
bool ReadAllMatching(DIR* dir, std::u16string_view pattern, std::vector<FindData>* entries) {
  const int dir_fd = dirfd(dir);
  bool dot = false, dot_dot = false;
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* d = readdir(dir);
    if (!d) {
      error = errno;
      break;
    }
    FindData entry;
    entry.name = Utf8ToUtf16(d->d_name);
    if (!WildcardMatch(pattern, entry.name)) continue;
    dot = dot || entry.name == u".";
    dot_dot = dot_dot || entry.name == u"..";
    DescribeEntry(dir_fd, d->d_name, &entry);
    entries->push_back(std::move(entry));
  }
  if (error && entries->empty()) return false;
  for (const char16_t* missing : {dot ? nullptr : u".", dot_dot ? nullptr : u".."}) {
    if (!missing || !WildcardMatch(pattern, missing)) continue;
    FindData entry;
    entry.name = missing;
    DescribeEntry(dir_fd, Utf16ToUtf8(missing).c_str(), &entry);
    entries->push_back(std::move(entry));
  }
  return true;
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*" || pattern == u"*.*") return true;
  // Iterative matcher with one backtrack point: linear in practice, never recursive.
  size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

FindHandle FindFirstFile(const std::u16string& search_path, FindData* entry, FindError* error) {
  const size_t slash = search_path.rfind(u'/');
  std::u16string folder, pattern;
  if (slash == std::u16string::npos) {
    folder = u".";
    pattern = search_path;
  } else {
    folder = slash == 0 ? u"/" : search_path.substr(0, slash);
    pattern = search_path.substr(slash + 1);
  }
  const std::string bytes = Utf16ToUtf8(folder);
  if (bytes.find('\0') != std::string::npos) {
    *error = FindError::PathNotFound;
    return nullptr;
  }
  DIR* dir = opendir(bytes.c_str());
  if (!dir) {
    *error = (errno == EACCES || errno == EPERM) ? FindError::AccessDenied
             : (errno == ENOENT || errno == ENOTDIR) ? FindError::PathNotFound
                                                     : FindError::Other;
    return nullptr;
  }
  // The whole folder is read at once: its names must be sorted before the first one is handed out.
  FindState* state = nullptr;
  bool read = false;
  try {
    state = new FindState;
    read = ReadAllMatching(dir, pattern, &state->entries);
    // readdir gives the file system's hash order, different on every machine; a listing and a scene
    // file must not depend on that.
    std::sort(state->entries.begin(), state->entries.end(),
              [](const FindData& a, const FindData& b) { return EntryNameBefore(a.name, b.name); });
  } catch (const std::bad_alloc&) {
    read = false;
  }
  closedir(dir);
  if (!read || state->entries.empty()) {
    *error = read ? FindError::NothingMatched : FindError::Other;
    delete state;
    return nullptr;
  }
  *error = FindError::None;
  FindNextFile(state, entry);
  return state;
}

bool FindNextFile(FindHandle handle, FindData* entry) {
  if (!handle || handle->next >= handle->entries.size()) return false;
  *entry = std::move(handle->entries[handle->next++]);
  return true;
}

void FindClose(FindHandle handle) { delete handle; }

}  // namespace platform
