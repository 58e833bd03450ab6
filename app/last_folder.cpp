#include "app/last_folder.h"

#include <string>

#include "platform/arguments.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/settings.h"
#include "platform/unicode.h"

namespace app {
namespace {

// A path is far shorter; a file longer than this is not ours to read.
constexpr int64_t kLongestFile = 64 * 1024;

Text g_start_folder;

bool EndsInSeparator(TextView text) { return !text.empty() && platform::IsPathSeparator(text.back()); }

Text SettingsFolder() {
  const Text base = platform::UserSettingsFolder();
  return base.empty() ? Text() : runtime::TextConcat({base, platform::kPathSeparatorText, u"scene-builder"});
}

}  // namespace

Text LastFolderFile() {
  const Text folder = SettingsFolder();
  return folder.empty() ? Text() : runtime::TextConcat({folder, platform::kPathSeparatorText, u"last-folder"});
}

Text RememberedFolder() {
  const Text file = LastFolderFile();
  if (file.empty()) return Text();
  platform::FileOpenOptions options;
  options.share = platform::FileShare::Read;
  options.regular_only = true;
  const platform::FileHandle handle = platform::FileOpen(file, options);
  if (handle == platform::kInvalidFile) return Text();
  std::string bytes(static_cast<size_t>(kLongestFile) + 1, '\0');
  const int64_t read = platform::FileRead(handle, bytes.data(), kLongestFile + 1);
  platform::FileClose(handle);
  if (read <= 0 || read > kLongestFile) return Text();
  bytes.resize(static_cast<size_t>(read));
  // One line break after the folder is the file's own; a folder's name may hold line breaks too, but
  // the folder text always ends in the separator.
  Text folder = platform::Utf8ToUtf16(bytes);
  for (const char16_t end : {u'\n', u'\r'}) {
    if (!folder.empty() && folder.back() == end) folder.pop_back();
  }
  if (!EndsInSeparator(folder) || !platform::IsFolder(folder)) return Text();
  return folder;
}

void RememberFolder(TextView folder) {
  const Text file = LastFolderFile();
  if (file.empty() || !EndsInSeparator(folder) || !platform::MakeFolders(SettingsFolder())) return;
  const Text partial = runtime::TextConcat({file, u".new"});
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::CreateAlways;
  options.access = platform::AccessWrite;
  options.follow_links = false;
  const platform::FileHandle handle = platform::FileOpen(partial, options);
  if (handle == platform::kInvalidFile) return;
  const std::string bytes = platform::Utf16ToUtf8(folder) + "\n";
  const bool written = platform::FileWrite(handle, bytes.data(), static_cast<int64_t>(bytes.size())) ==
                       static_cast<int64_t>(bytes.size());
  const bool closed = platform::FileClose(handle) == 0;
  if (!written || !closed || platform::FileRename(partial, file) != 0) platform::FileRemove(partial);
}

bool SetStartFolderArgument(const std::string& argument) {
  if (argument.empty()) {
    g_start_folder.clear();
    return true;
  }
  const Text folder = platform::AbsoluteFolderText(argument);
  if (!platform::IsFolder(folder)) return false;
  g_start_folder = folder;
  return true;
}

Text StartFolder() { return g_start_folder.empty() ? RememberedFolder() : g_start_folder; }

}  // namespace app
