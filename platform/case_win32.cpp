#include "platform/unicode.h"

#include <windows.h>

// Case mapping is the system's own, so that names compare the way the file system and the shell
// compare them.
namespace platform {

void CharLowerW(char16_t* text, size_t length) {
  // CharLowerBuffW takes a 32-bit count: long texts go in slices, never splitting a surrogate pair.
  while (length > 0) {
    size_t slice = length < 0x40000000u ? length : 0x40000000u;
    if (slice < length && text[slice - 1] >= 0xD800 && text[slice - 1] <= 0xDBFF) --slice;
    ::CharLowerBuffW(reinterpret_cast<wchar_t*>(text), static_cast<DWORD>(slice));
    text += slice;
    length -= slice;
  }
}

char32_t LowerCodePoint(char32_t cp) {
  char16_t units[2];
  size_t count = 1;
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    count = 2;
  } else if (cp < 0xD800 || (cp > 0xDFFF && cp < 0x10000)) {
    units[0] = static_cast<char16_t>(cp);
  } else {
    return cp;
  }
  CharLowerW(units, count);
  if (count == 1) return units[0];
  if (units[0] < 0xD800 || units[0] > 0xDBFF || units[1] < 0xDC00 || units[1] > 0xDFFF) return cp;
  return 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (units[1] - 0xDC00);
}

}  // namespace platform
