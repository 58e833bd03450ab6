#include "files/folder_scan.h"

#include <cerrno>
#include <new>

#include "platform/find.h"
#include "platform/path.h"

namespace files {
namespace {

// The record is plain memory: the current entry lives on the heap behind a pointer, so the record
// stays trivial and the search handle stays its first, non-zero field.
constexpr uintptr_t kNoMatches = ~uintptr_t{0};  // open, but nothing matched

struct FolderScan {
  uintptr_t search;             // platform::FindHandle, or kNoMatches
  uint32_t first_entry_taken;   // 0 while the entry from the open is still waiting to be handed out
  platform::FindData* current;  // the current entry
};

runtime::ObjectRegistry* g_registry = nullptr;

platform::FindHandle HandleOf(const FolderScan* scan) {
  return scan->search == kNoMatches ? nullptr : reinterpret_cast<platform::FindHandle>(scan->search);
}

FolderScan* Find(ObjectNumber number) {
  return g_registry ? runtime::FindRecord<FolderScan>(g_registry, number) : nullptr;
}

Text SearchPath(TextView folder, TextView pattern) {
  const TextView used = pattern.empty() ? TextView(u"*.*") : pattern;
  // Only the system's own separator counts here: a folder ending in "/" on Windows gets a "\" after
  // it, which the system's path rules accept.
  const bool separate = !folder.empty() && folder.back() != platform::kPathSeparator;
  return runtime::TextConcat({folder, separate ? TextView(platform::kPathSeparatorText) : TextView(), used});
}

}  // namespace

int64_t OpenFolderScan(ObjectNumber number, TextView folder, TextView pattern) {
  if (!g_registry) g_registry = runtime::CreateRecordRegistry<FolderScan>(16, CloseFolderScan);
  if (!g_registry) return 0;
  FolderScan* scan = runtime::AcquireRecord<FolderScan>(g_registry, number);
  if (!scan) return 0;
  const ObjectNumber identity = number == runtime::AnyId ? runtime::NumberOfRecord(scan) : number;
  auto* entry = new (std::nothrow) platform::FindData;
  platform::FindError error = platform::FindError::Other;
  platform::FindHandle handle = entry ? platform::FindFirstFile(SearchPath(folder, pattern), entry, &error) : nullptr;
  if (!handle && error != platform::FindError::NothingMatched) {
    const int why = entry ? errno : ENOMEM;
    delete entry;
    runtime::ReleaseObject(g_registry, identity);
    errno = why;
    return 0;
  }
  scan->search = handle ? reinterpret_cast<uintptr_t>(handle) : kNoMatches;
  scan->first_entry_taken = handle ? 0 : 1;
  scan->current = entry;
  return runtime::NumberOfRecord(scan);
}

int64_t NextFolderEntry(ObjectNumber number) {
  FolderScan* scan = Find(number);
  if (!scan || scan->search == kNoMatches) return 0;
  int64_t result = 1;
  if (scan->first_entry_taken) result = platform::FindNextFile(HandleOf(scan), scan->current) ? 1 : 0;
  scan->first_entry_taken = 1;
  return result;
}

Text FolderEntryName(ObjectNumber number) {
  const FolderScan* scan = Find(number);
  return scan ? scan->current->name : Text();
}

int64_t FolderEntryKind(ObjectNumber number) {
  const FolderScan* scan = Find(number);
  if (!scan) return 0;
  return (scan->current->attributes & platform::kAttributeDirectory) ? EntryDirectory : EntryFile;
}

uint64_t FolderEntrySize(ObjectNumber number) {
  const FolderScan* scan = Find(number);
  return scan ? scan->current->size : 0;
}

bool FolderEntryIsLink(ObjectNumber number) {
  const FolderScan* scan = Find(number);
  return scan && (scan->current->attributes & platform::kAttributeLink) != 0;
}

void CloseFolderScan(ObjectNumber number) {
  FolderScan* scan = Find(number);
  if (!scan) return;
  platform::FindClose(HandleOf(scan));
  delete scan->current;
  runtime::ReleaseObject(g_registry, number);
}

void CloseAllFolderScans() {
  if (g_registry) runtime::ReleaseAllObjects(g_registry);
}

}  // namespace files
