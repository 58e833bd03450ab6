// A window with two buttons and a list box, run on the runtime's own event loop. The program
// shows it until its real window is built on the widget layer.
#pragma once

namespace ui {

// Runs until the window is closed or "quit" is pressed; returns the exit code.
int RunDemoWindow(int argc, char** argv);

}  // namespace ui
