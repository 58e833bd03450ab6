#include "platform/find.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/unicode.h"

namespace platform {

struct FindState {
  DIR* dir = nullptr;
  std::u16string pattern;
};

namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool ReadMatching(FindState& state, FindData* entry) {
  const int dir_fd = dirfd(state.dir);
  for (;;) {
    errno = 0;
    const dirent* d = readdir(state.dir);
    if (!d) return false;
    std::u16string name = Utf8ToUtf16(d->d_name);
    if (!WildcardMatch(state.pattern, name)) continue;
    struct stat st;
    // Follow links so that a link to a folder is a folder; a dangling link is reported as itself.
    if (fstatat(dir_fd, d->d_name, &st, 0) != 0 && fstatat(dir_fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      st = {};
    }
    entry->attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
    entry->size = static_cast<uint64_t>(st.st_size);
    entry->name = std::move(name);
    return true;
  }
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
  auto* state = new FindState{dir, std::move(pattern)};
  if (!ReadMatching(*state, entry)) {
    // readdir sets errno only on a real failure; the end of the folder means nothing matched.
    *error = errno ? FindError::Other : FindError::NothingMatched;
    FindClose(state);
    return nullptr;
  }
  *error = FindError::None;
  return state;
}

bool FindNextFile(FindHandle handle, FindData* entry) { return handle && ReadMatching(*handle, entry); }

void FindClose(FindHandle handle) {
  if (!handle) return;
  closedir(handle->dir);
  delete handle;
}

}  // namespace platform
