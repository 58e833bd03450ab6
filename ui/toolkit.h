// The widget toolkit's application object, and keeping windows alive while a handler runs long.
#pragma once

#include <string>

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

// Lets windows repaint and answer the desktop while a long handler runs, leaving the user's input
// queued until the handler returns. Cheap to call often: it does the work at most every 30 ms.
void KeepWindowAlive();

}  // namespace ui
