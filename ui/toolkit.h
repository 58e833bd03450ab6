// The widget toolkit's application object, and keeping windows alive while a handler runs long.
#pragma once

namespace ui {

// Creates the toolkit's application object unless one exists (tests make their own). False, with
// nothing created, when there is no display to show windows on: the toolkit would abort instead.
bool StartToolkit(int& argc, char** argv);

// Deletes the application object if StartToolkit made it.
void StopToolkit();

// Lets windows repaint and answer the desktop while a long handler runs, leaving the user's input
// queued until the handler returns. Cheap to call often: it does the work at most every 30 ms.
void KeepWindowAlive();

}  // namespace ui
