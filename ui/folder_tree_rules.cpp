#include "ui/folder_tree_rules.h"

#include <climits>

#include <algorithm>

#include "platform/find.h"
#include "platform/path.h"
#include "platform/unicode.h"

namespace ui {

namespace {

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool IsDotEntry(TextView name) { return name == u"." || name == u".."; }

size_t FindSeparator(TextView text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (platform::IsPathSeparator(text[i])) return i;
  }
  return TextView::npos;
}

size_t FindLastSeparator(TextView text) {
  for (size_t i = text.size(); i > 0; --i) {
    if (platform::IsPathSeparator(text[i - 1])) return i - 1;
  }
  return TextView::npos;
}

// Calls `visit` for every entry of the folder until it returns false.
template <typename Visit>
void ForEachEntry(TextView folder_path, Visit visit) {
  platform::FindData entry;
  platform::FindError error = platform::FindError::None;
  platform::FindHandle handle = platform::FindFirstFile(Text(folder_path) + u"*.*", &entry, &error);
  if (!handle) return;
  do {
    if (!visit(entry)) break;
  } while (platform::FindNextFile(handle, &entry));
  platform::FindClose(handle);
}

bool FolderHasChildren(TextView folder_path, const std::vector<Text>& patterns, bool folders_only) {
  // One pass answers both questions: a sub-folder settles it at once, a matching file only when files
  // are shown.
  bool found = false;
  ForEachEntry(folder_path, [&](const platform::FindData& entry) {
    if (entry.attributes & platform::kAttributeDirectory) {
      if (!IsDotEntry(entry.name)) found = true;
    } else if (!folders_only && NameMatchesPatterns(patterns, entry.name)) {
      found = true;
    }
    return !found;
  });
  return found;
}

}  // namespace

uint64_t TreePathLimit() { return PATH_MAX - 1; }

bool PathFits(TextView path) {
#if defined(_WIN32)
  // The system's own paths count UTF-16 units.
  return path.size() <= TreePathLimit();
#else
  // A unit never takes fewer than one byte, so most paths are settled without encoding them.
  if (path.size() > TreePathLimit()) return false;
  if (path.size() * 3 <= TreePathLimit()) return true;
  return platform::Utf16ToUtf8(path).size() <= TreePathLimit();
#endif
}

bool PrependItemPath(Text* path, uint32_t tag, TextView name, TextView drive_path, TextView home_path) {
  if (TagKind(tag) == TagKind(kTagComputer)) return false;
  switch (TagKind(tag)) {
    case kTagFolder: *path = runtime::TextConcat({name, platform::kPathSeparatorText, *path}); return true;
    case kTagHome: *path = runtime::TextConcat({home_path, *path}); return true;
    case kTagFile: *path = Text(name); return true;
    default: *path = runtime::TextConcat({drive_path, *path}); return true;
  }
}

TreeTextPlan PlanTreeText(TextView text) {
  TreeTextPlan plan;
  if (!PathFits(text)) {
    plan.action = TreeTextAction::Refuse;
    return plan;
  }
  if (text.empty() || (text.size() == 1 && platform::IsPathSeparator(text[0]))) {
    plan.action = TreeTextAction::Rebuild;
    return plan;
  }
  const size_t slash = FindLastSeparator(text);
  if (slash == TextView::npos) {
    plan.action = TreeTextAction::PatternKeepSelection;
    plan.pattern = Text(text);
  } else if (slash + 1 == text.size()) {
    plan.action = TreeTextAction::Select;
    plan.select_path = Text(text);
  } else {
    plan.action = TreeTextAction::SelectWithPattern;
    plan.select_path = Text(text.substr(0, slash + 1));
    plan.pattern = Text(text.substr(slash + 1));
  }
  return plan;
}

std::vector<Text> SplitPatterns(TextView pattern) {
  std::vector<Text> list;
  size_t start = 0;
  while (start <= pattern.size()) {
    size_t end = pattern.find(u';', start);
    if (end == TextView::npos) end = pattern.size();
    if (end > start) list.emplace_back(pattern.substr(start, end - start));
    start = end + 1;
  }
  return list;
}

bool NameMatchesPatterns(const std::vector<Text>& patterns, TextView name) {
  if (patterns.empty()) return true;
  for (const Text& p : patterns) {
    if (p == u"*" || p == u"*.*" || platform::WildcardMatch(p, name)) return true;
  }
  return false;
}

bool SplitSelectPath(TextView path, const std::vector<Text>& drive_paths, uint32_t* drive, std::vector<Text>* names) {
  size_t best_length = 0;
  bool found = false;
  for (size_t i = 0; i < drive_paths.size() && i < kMaxDrives; ++i) {
    const Text& d = drive_paths[i];
    if (d.empty() || d.size() > path.size() || path.substr(0, d.size()) != d) continue;
    if (!found || d.size() > best_length) {
      found = true;
      best_length = d.size();
      *drive = static_cast<uint32_t>(i);
    }
  }
  if (!found) return false;
  names->clear();
  // Every name below the drive ends in a separator; an unterminated tail is a name as well.
  size_t start = best_length;
  while (start < path.size()) {
    size_t end = FindSeparator(path, start);
    if (end == TextView::npos) end = path.size();
    names->emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

int FindNameMatch(const std::vector<Text>& candidates, TextView name) {
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i] == name) return static_cast<int>(i);
  }
  const Text lowered = runtime::TextLower(name);
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i].size() == name.size() && runtime::TextLower(candidates[i]) == lowered) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool NameLessIgnoringCase(TextView a, TextView b) {
  const Text la = runtime::TextLower(a), lb = runtime::TextLower(b);
  if (la != lb) return la < lb;
  return a < b;
}

FolderListing ListFolderChildren(TextView path, const std::vector<Text>& patterns, bool folders_only, bool sorted) {
  FolderListing listing;
  ForEachEntry(path, [&](const platform::FindData& entry) {
    if (entry.attributes & platform::kAttributeDirectory) {
      if (IsDotEntry(entry.name)) return true;
      const Text folder_path = runtime::TextConcat({path, entry.name, platform::kPathSeparatorText});
      if (!PathFits(folder_path)) return true;
      listing.folders.push_back({entry.name, FolderHasChildren(folder_path, patterns, folders_only)});
    } else if (!folders_only && NameMatchesPatterns(patterns, entry.name)) {
      if (PathFits(runtime::TextConcat({path, entry.name}))) listing.files.push_back(entry.name);
    }
    return true;
  });
  if (sorted) {
    std::sort(listing.folders.begin(), listing.folders.end(),
              [](const ListedFolder& a, const ListedFolder& b) { return NameLessIgnoringCase(a.name, b.name); });
    std::sort(listing.files.begin(), listing.files.end(),
              [](const Text& a, const Text& b) { return NameLessIgnoringCase(a, b); });
  }
  return listing;
}

std::optional<Text> IconCacheKey(TextView file_name) {
  const size_t dot = file_name.rfind(u'.');
  Text ext = dot == TextView::npos ? Text() : Text(file_name.substr(dot + 1));
  if (ext.size() > 4) return std::nullopt;
  for (char16_t& c : ext) c = UpperAscii(c);
  if (ext == u"EXE" || ext == u"ICO" || ext == u"LNK" || ext == u"ICL") return std::nullopt;
  return ext;
}

}  // namespace ui
