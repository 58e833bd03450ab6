// The program's window: start-up, the event dispatch and shutdown.
#pragma once

#include <cstdint>

#include "app/scene_builder.h"

namespace app {

// Brings every library up, opens MainWindow with its widgets. False, after printing why on standard
// error and shutting down again, when the window cannot be opened.
bool OpenMainWindow(int& argc, char** argv);

// Acts on one value that EventWait returned; false when the program should end.
bool DispatchEvent(int32_t code);

// What the process button does: the scene file for the folder chosen in the tree, while the window
// stays alive and shows how far the scan has got. The quit button and the close box during the scan
// stop it and end the program, Escape only stops it; false when the program should end.
bool BuildSceneFile();

// Releases widgets, windows, images, folder enumerations, files and the event queue. The heap stays
// (RunWindow destroys it as the very last step), so the window can be opened again.
void ShutDown();

// Waits for and dispatches events until the quit button or the close box, then shuts down; returns
// the exit code, 0 in both cases (128 + its number when a signal ended a scan, and so the program).
int RunEventLoop();

// The whole program with a window: returns the exit code.
int RunWindow(int& argc, char** argv);

}  // namespace app
