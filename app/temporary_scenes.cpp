#include "app/temporary_scenes.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <vector>

#include "files/folder_scan.h"
#include "platform/file.h"
#include "platform/path.h"

namespace app {
namespace {

constexpr int kSuffixDigits = 12;

// The temporary scenes of a folder, full paths.
std::vector<Text> TemporaryScenes(TextView folder) {
  std::vector<Text> found;
  const int64_t scan = files::OpenFolderScan(runtime::AnyId, folder, runtime::TextConcat({u".", SceneFile, u".*"}));
  if (scan == 0) return found;
  while (files::NextFolderEntry(scan)) {
    const Text name = files::FolderEntryName(scan);
    if (files::FolderEntryKind(scan) == files::EntryFile && !files::FolderEntryIsLink(scan) &&
        IsTemporarySceneName(name)) {
      found.push_back(runtime::TextConcat({folder, name}));
    }
  }
  files::CloseFolderScan(scan);
  return found;
}

// Opens the file as its writer does, without sharing: refused (EBUSY) while somebody writes it.
platform::FileHandle HoldIfFree(const Text& path) {
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::OpenExisting;
  options.access = platform::AccessRead;
  options.share = platform::FileShare::None;
  options.regular_only = true;
  options.follow_links = false;
  return platform::FileOpen(path, options);
}

}  // namespace

Text TemporaryScenePath(TextView scene_path) {
  static uint64_t counter = 0;
  const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  uint64_t salt = now ^ (++counter * 0x9E3779B97F4A7C15u);
  Text suffix;
  for (int i = 0; i < kSuffixDigits; ++i, salt >>= 4) suffix.push_back(u"0123456789abcdef"[salt & 15]);
  size_t name_start = scene_path.size();
  while (name_start > 0 && !platform::IsPathSeparator(scene_path[name_start - 1])) --name_start;
  return runtime::TextConcat({scene_path.substr(0, name_start), u".", scene_path.substr(name_start), u".", suffix});
}

bool IsTemporarySceneName(TextView name) {
  const Text head = runtime::TextConcat({u".", SceneFile, u"."});
  if (name.size() != head.size() + kSuffixDigits || name.substr(0, head.size()) != head) return false;
  for (char16_t unit : name.substr(head.size()))
    if (!((unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f'))) return false;
  return true;
}

int TemporaryScenesHeld(TextView folder) {
  for (const Text& path : TemporaryScenes(folder)) {
    const platform::FileHandle held = HoldIfFree(path);
    if (held != platform::kInvalidFile) {
      platform::FileClose(held);
    } else if (errno == EBUSY) {
      return EBUSY;
    }
  }
  return 0;
}

void RemoveLeftoverScenes(TextView folder) {
  for (const Text& path : TemporaryScenes(folder)) {
    const platform::FileHandle held = HoldIfFree(path);
    if (held == platform::kInvalidFile) continue;
    // Windows removes no file that is open; nobody else can take it between the two steps, since no
    // run ever writes under an old name again.
    platform::FileClose(held);
    platform::FileRemove(path);
  }
}

}  // namespace app
