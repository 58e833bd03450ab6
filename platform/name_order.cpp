#include "platform/name_order.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace platform {
namespace {

struct UpperRun {
  char16_t first;
  char16_t last;
  uint16_t stride;
  int32_t delta;
};

constexpr UpperRun kUpperRuns[] = {
#include "platform/uppercase_table.inc"
};

int DotRank(std::u16string_view name) {
  if (name == u".") return 0;
  if (name == u"..") return 1;
  return 2;
}

}  // namespace

char16_t UpperUnit(char16_t unit) {
  if (unit < 0x61) return unit;
  if (unit < 0x80) return unit <= 0x7A ? static_cast<char16_t>(unit - 32) : unit;
  // The runs are sorted by their first unit: find the last run starting at or before this one.
  const auto* it = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), unit,
                                    [](char16_t value, const UpperRun& run) { return value < run.first; });
  if (it == std::begin(kUpperRuns)) return unit;
  const UpperRun& run = *(it - 1);
  if (unit > run.last || (unit - run.first) % run.stride != 0) return unit;
  return static_cast<char16_t>(unit + run.delta);
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  const size_t common = std::min(a.size(), b.size());
  int raw = 0;  // the first raw difference, which decides only between names equal when upper-cased
  for (size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    const char16_t ua = UpperUnit(a[i]), ub = UpperUnit(b[i]);
    if (ua != ub) return ua < ub ? -1 : 1;
    if (raw == 0) raw = a[i] < b[i] ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return raw;
}

bool EntryNameBefore(std::u16string_view a, std::u16string_view b) {
  const int ra = DotRank(a), rb = DotRank(b);
  if (ra != rb) return ra < rb;
  return ra == 2 && CompareNames(a, b) < 0;
}

}  // namespace platform
