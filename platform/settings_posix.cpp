#include "platform/settings.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/unicode.h"

namespace platform {

std::u16string UserSettingsFolder() {
  // A relative XDG_CONFIG_HOME is to be ignored: it would name another folder in every working folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return Utf8ToUtf16(config);
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return u"";
  return Utf8ToUtf16(std::string(home) + "/.config");
}

bool IsFolder(const std::u16string& path) {
  std::error_code error;
  return std::filesystem::is_directory(PathBytes(path), error);
}

bool MakeFolders(const std::u16string& path) {
  std::error_code error;
  const std::filesystem::path folder(PathBytes(path));
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

}  // namespace platform
