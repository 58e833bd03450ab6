// The widget toolkit's application object, and keeping windows alive while a handler runs long.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// Called with one line that says why no window can be opened (naming the platform and the display that
// were tried); the process ends with exit code 1 as soon as it returns.
using ToolkitFailure = void (*)(const std::string& reason);

// Creates the toolkit's application object unless one exists (tests make their own). False, with
// nothing created, when no display is named at all. A display or platform named but unusable (a display
// that cannot be reached, an unknown or broken platform plugin) is found only inside the toolkit's own
// start, which cannot fail softly: `failed` gets the reason and the process ends with exit code 1, where
// the toolkit would abort.
bool StartToolkit(int& argc, char** argv, ToolkitFailure failed);

// Deletes the application object if StartToolkit made it.
void StopToolkit();

// Handles whatever the toolkit has pending (painting, the window system's messages and the user's
// input) without waiting, so that a long task on the toolkit's thread keeps its windows alive and
// its user in charge. The handlers may post events; the caller takes them with EventWait while
// QueuedEventCount() is non-zero. A message box opened from there waits for its answer as always.
void PumpEvents();

// Gives every window of the program the icon in `png` (a PNG file's bytes). Nothing on Windows, where
// the window class takes the program's own icon from its resources, or for bytes that are no picture.
void SetProgramIcon(std::string_view png);

}  // namespace ui
