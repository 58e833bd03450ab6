#include "ui/shown_name.h"

namespace ui {

runtime::Text ShowLineBreaks(runtime::TextView name) {
  runtime::Text shown(name);
  for (char16_t& unit : shown) {
    if (unit == u'\r') unit = u'\u240D';
    if (unit == u'\n') unit = u'\u240A';
  }
  return shown;
}

}  // namespace ui
