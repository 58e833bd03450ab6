#include "platform/settings.h"

#include <windows.h>

#include <cstdlib>

namespace platform {
namespace {

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

std::u16string UserSettingsFolder() {
  const wchar_t* appdata = _wgetenv(L"APPDATA");
  if (appdata == nullptr || appdata[0] == L'\0') return u"";
  std::u16string folder(reinterpret_cast<const char16_t*>(appdata));
  while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  return folder;
}

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolders(const std::u16string& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  const size_t separator = path.find_last_of(u"\\/");
  // The drive root or a share's name ends the climb; a folder above that is missing cannot be made.
  if (separator != std::u16string::npos && separator > 2) MakeFolders(path.substr(0, separator));
  CreateDirectoryW(Wide(path), nullptr);
  return IsFolder(path);
}

}  // namespace platform
