// One press of process in the real window, timed: the scan as the window runs it, with its list box
// items, its status line and the toolkit's events pumped between entries. bench/window_vs_batch.sh
// sets it against the same scan without a window. Run it from the folder that holds the templates.
//
//   bench_window_scan FOLDER
//
// Prints the seconds the press took. SCENE_BUILDER_JOBS chooses the measuring threads, as for the
// program. Exit codes: 0 done, 1 the window cannot be opened, 2 usage.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/startup.h"
#include "platform/arguments.h"
#include "platform/path.h"
#include "ui/event_queue.h"
#include "ui/widget.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: bench_window_scan FOLDER\n", stderr);
    return 2;
  }
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  int toolkit_argc = 1;
  if (!app::OpenMainWindow(toolkit_argc, argv)) return 1;
  // Selecting the folder lists its files, as a click in the tree would.
  ui::WidgetSetText(app::FolderTreeWidget, platform::AbsoluteFolderText(arguments[1]));
  while (ui::QueuedEventCount() > 0) app::DispatchEvent(ui::EventWait());
  const auto started = std::chrono::steady_clock::now();
  app::BuildSceneFile();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  std::printf("%.3f\n", took.count());
  app::ShutDown();
  app::DestroyHeap();
  return 0;
}
