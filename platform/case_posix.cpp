#include "platform/unicode.h"

#include <algorithm>
#include <iterator>

// Case mapping from the Unicode tables compiled in (lowercase_table.inc, made by
// scripts/gen-lowercase-table.py), since the C library's towlower depends on the locale.
namespace platform {
namespace {

struct LowerRun {
  char32_t first;
  char32_t last;
  char32_t stride;
  int32_t delta;
};

constexpr LowerRun kLowerRuns[] = {
#include "platform/lowercase_table.inc"
};

}  // namespace

char32_t LowerCodePoint(char32_t cp) {
  if (cp < 0x41) return cp;
  if (cp < 0x80) return (cp <= 0x5A) ? cp + 32 : cp;
  // The runs are sorted by their first code point: find the last run starting at or before cp.
  const auto* end = std::end(kLowerRuns);
  const auto* it = std::upper_bound(std::begin(kLowerRuns), end, cp,
                                    [](char32_t value, const LowerRun& run) { return value < run.first; });
  if (it == std::begin(kLowerRuns)) return cp;
  const LowerRun& run = *(it - 1);
  if (cp > run.last || (cp - run.first) % run.stride != 0) return cp;
  return static_cast<char32_t>(static_cast<int64_t>(cp) + run.delta);
}

void CharLowerW(char16_t* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      const char32_t cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      const char32_t lower = LowerCodePoint(cp);  // the table keeps supplementary characters supplementary
      text[i] = static_cast<char16_t>(0xD800 + ((lower - 0x10000) >> 10));
      text[i + 1] = static_cast<char16_t>(0xDC00 + ((lower - 0x10000) & 0x3FF));
      ++i;
    } else if (unit < 0xD800 || unit > 0xDFFF) {
      text[i] = static_cast<char16_t>(LowerCodePoint(unit));
    }
  }
}

}  // namespace platform
