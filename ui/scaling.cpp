// The display scale and window placement arithmetic every backend shares.
#include <algorithm>
#include <limits>

#include "ui/backend.h"
#include "ui/window.h"

namespace ui {
namespace {

int32_t g_density_x = 96;
int32_t g_density_y = 96;

}  // namespace

void SetDisplayDensity(int32_t x, int32_t y) {
  g_density_x = x > 0 ? x : 96;
  g_density_y = y > 0 ? y : 96;
}

Rect FitIntoArea(Rect wanted, Size least, Rect area) {
  auto extent = [](int32_t want, int32_t smallest, int32_t room) { return std::max(smallest, std::min(want, room)); };
  auto start = [](int32_t want, int32_t size, int32_t first, int32_t room) {
    const int32_t last = first + room - size;  // the farthest corner that still fits
    return std::max(first, std::min(want, last));
  };
  const int32_t width = extent(wanted.width, least.width, area.width);
  const int32_t height = extent(wanted.height, least.height, area.height);
  return Rect{start(wanted.x, width, area.x, area.width), start(wanted.y, height, area.y, area.height), width, height};
}

int32_t MulDiv(int32_t value, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = int64_t{value} * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const uint64_t p = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  const uint64_t d =
      denominator < 0 ? 0 - static_cast<uint64_t>(int64_t{denominator}) : static_cast<uint64_t>(denominator);
  const uint64_t q = (p + d / 2) / d;  // halves away from zero
  if (q > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return -1;
  return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

int32_t ScaleX(int32_t v) { return MulDiv(v, g_density_x, 96); }
int32_t ScaleY(int32_t v) { return MulDiv(v, g_density_y, 96); }

ScaledRect ScaleRect(int32_t x, int32_t y, int32_t width, int32_t height) {
  return ScaledRect{ScaleX(x), ScaleY(y), ScaleX(width), ScaleY(height)};
}

int32_t DisplayDensityX() { return g_density_x; }
int32_t DisplayDensityY() { return g_density_y; }

}  // namespace ui
