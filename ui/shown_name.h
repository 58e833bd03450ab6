// Names as the widgets show them.
#pragma once

#include "runtime/text.h"

namespace ui {

// A name with each carriage return shown as U+240D and each line feed as U+240A. Item texts are cut
// into columns at line feeds and a carriage return shows as nothing, so a file name that holds either
// would otherwise be shown broken or split; the name itself, used to open the file, stays as it is.
runtime::Text ShowLineBreaks(runtime::TextView name);

}  // namespace ui
