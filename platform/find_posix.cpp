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

// The whole folder's names, read and sorted when the enumeration opens. An entry is examined only
// when it is handed out, so that a caller that stops early (does this folder hold a sub-folder?)
// pays for the names alone.
struct FindState {
  struct Name {
    std::u16string text;
    std::string bytes;  // as the kernel gave it
  };
  DIR* dir = nullptr;
  std::vector<Name> names;
  size_t next = 0;
};

namespace {

// Kind and size as find-next reports them. Follows links, so that a link to a folder is a folder; a
// dangling link is reported as itself.
void DescribeEntry(int dir_fd, const char* name, FindData* entry) {
  struct stat st;
  if (fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) st = {};
  const bool link = S_ISLNK(st.st_mode);
  struct stat target;
  if (link && fstatat(dir_fd, name, &target, 0) == 0) st = target;
  entry->attributes = (S_ISDIR(st.st_mode) ? kAttributeDirectory : 0) | (link ? kAttributeLink : 0);
  entry->size = static_cast<uint64_t>(st.st_size);
}

// The name of every entry matching the pattern, "." and ".." among them even where readdir leaves
// them out. False when reading failed before anything was found.
bool ReadAllMatching(FindState* state, std::u16string_view pattern) {
  bool dot = false, dot_dot = false;
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* d = readdir(state->dir);
    if (!d) {
      error = errno;
      break;
    }
    std::u16string name = Utf8ToUtf16(d->d_name);
    if (!WildcardMatch(pattern, name)) continue;
    dot = dot || name == u".";
    dot_dot = dot_dot || name == u"..";
    state->names.push_back({std::move(name), d->d_name});
  }
  if (error && state->names.empty()) return false;
  if (!dot && WildcardMatch(pattern, u".")) state->names.push_back({u".", "."});
  if (!dot_dot && WildcardMatch(pattern, u"..")) state->names.push_back({u"..", ".."});
  return true;
}

}  // namespace

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
    *error = (errno == EACCES || errno == EPERM)     ? FindError::AccessDenied
             : (errno == ENOENT || errno == ENOTDIR) ? FindError::PathNotFound
                                                     : FindError::Other;
    return nullptr;
  }
  // The whole folder is read at once: its names must be sorted before the first one is handed out.
  FindState* state = nullptr;
  bool read = false;
  try {
    state = new FindState;
    state->dir = dir;
    read = ReadAllMatching(state, pattern);
    // readdir gives the file system's hash order, different on every machine; a listing and a scene
    // file must not depend on that.
    std::sort(state->names.begin(), state->names.end(),
              [](const FindState::Name& a, const FindState::Name& b) { return EntryNameBefore(a.text, b.text); });
  } catch (const std::bad_alloc&) {
    read = false;
  }
  if (!read || state->names.empty()) {
    *error = read ? FindError::NothingMatched : FindError::Other;
    closedir(dir);
    delete state;
    return nullptr;
  }
  *error = FindError::None;
  FindNextFile(state, entry);
  return state;
}

bool FindNextFile(FindHandle handle, FindData* entry) {
  if (!handle || handle->next >= handle->names.size()) return false;
  FindState::Name& name = handle->names[handle->next++];
  DescribeEntry(dirfd(handle->dir), name.bytes.c_str(), entry);
  entry->name = std::move(name.text);
  return true;
}

void FindClose(FindHandle handle) {
  if (!handle) return;
  closedir(handle->dir);
  delete handle;
}

}  // namespace platform
