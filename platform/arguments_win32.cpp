#include "platform/arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/unicode.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  // Without the wide command line the C runtime's ANSI copy is still better than nothing.
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
  LocalFree(wide);
  return arguments;
}

std::u16string AbsoluteFolderText(const std::string& argument) {
  const std::u16string given = Utf8ToUtf16(argument);
  const auto* name = reinterpret_cast<LPCWSTR>(given.c_str());
  std::u16string full;
  const DWORD needed = GetFullPathNameW(name, 0, nullptr, nullptr);
  if (needed != 0) {
    full.resize(needed);
    const DWORD written = GetFullPathNameW(name, needed, reinterpret_cast<LPWSTR>(full.data()), nullptr);
    full.resize(written < needed ? written : 0);
  }
  if (full.empty()) full = given;
  if (full.empty() || (full.back() != u'\\' && full.back() != u'/')) full.push_back(u'\\');
  return full;
}

std::u16string ProgramFolder() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(path.data()), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const size_t separator = path.find_last_of(u"\\/");
  return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator + 1);
}

}  // namespace platform
