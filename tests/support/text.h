// Texts for tests: UTF-8 literals and system paths as the program's UTF-16 texts.
#pragma once

#include <filesystem>
#include <string>

#include "platform/unicode.h"
#include "runtime/text.h"

namespace testsupport {

inline runtime::Text T(const std::string& utf8) { return runtime::TextFromUtf8(utf8); }

// A path as the system spells it (names beyond ASCII would be mangled by a narrow Windows path).
inline std::u16string W(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
#else
  return platform::Utf8ToUtf16(path.string());
#endif
}

// The bytes as UTF-16 units, one unit per byte: the same line structure in the wide encoding.
inline std::string Widen(const std::string& bytes) {
  std::string wide;
  for (char c : bytes) wide += {c, '\0'};
  return wide;
}

}  // namespace testsupport
