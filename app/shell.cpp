#include "app/shell.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "app/folder_listing.h"
#include "app/last_folder.h"
#include "app/scan_status.h"
#include "app/scene_file.h"
#include "app/startup.h"
#include "app/window_layout.h"
#include "platform/identity.h"
#include "platform/path.h"
#include "platform/stop_signals.h"
#include "ui/button.h"
#include "ui/column_list.h"
#include "ui/event_queue.h"
#include "ui/folder_tree.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/shown_name.h"
#include "ui/status_line.h"
#include "ui/toolkit.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kMainWindowFlags = 0xCC0000;  // title bar, close box, sizing border

// Input is looked at this often during a scan (a stop is obeyed within this), and the status line
// changes at most this often, so the window costs the scan next to nothing.
constexpr auto kPumpInterval = std::chrono::milliseconds(30);
constexpr auto kStatusInterval = std::chrono::milliseconds(100);

// Receives the tree's text at every event of the tree or of the process button.
Text g_folder_text;

// The scan the window is running, while it runs.
struct WindowScan {
  Text walking;  // the folder being walked
  int64_t images = 0;
  bool stop = false;  // the user called the scan off
  bool quit = false;  // ... and asked the program to end
  bool quit_button = false;
  Clock::time_point last_pump;
  Clock::time_point last_status;
};
WindowScan* g_scan = nullptr;

void CreateWidgets() {
  ui::FolderTreeCreate(FolderTreeWidget, 10, 10, 200, 300, u"", ui::kTreeShowSelectionAlways);
  ui::ColumnListCreate(FileListWidget, 220, 10, 300, 300, u"Name", 250);
  ui::ColumnAdd(FileListWidget, 1, u"Size", 100);
  ui::ButtonCreate(ProcessButton, 10, 315, 100, 30, u" p r o c e s s ");
  ui::ButtonCreate(QuitButton, 310, 315, 100, 30, u" q u i t  ");
  ui::ListBoxCreate(ImageListBox, 10, 350, 500, 200);
  ui::ItemAdd(ImageListBox, -1, u"image list");
  // In the strip the first design leaves free under the list box.
  ui::StatusLineCreate(MainWindow, 10, 558, 580, 24);
  ui::StatusLineSetText(MainWindow, ChoiceStatus(u""));
}

void ShowDoubleClickedFile() {
  const int64_t row = ui::WidgetState(FileListWidget);
  const Text name = ui::ItemText(FileListWidget, row, 0);
  ui::MessageBoxShow(u"File Selected", runtime::TextConcat({u"You double-clicked: ", name}));
}

void FolderChosen() {
  g_folder_text = ui::WidgetText(FolderTreeWidget);
  ListFolderFiles(g_folder_text);
  // During a scan the status line tells how far it has got.
  if (g_scan == nullptr) ui::StatusLineSetText(MainWindow, ChoiceStatus(g_folder_text));
}

void SayWhyNoWindow(const std::string& reason) {
  std::fprintf(stderr, "scene-builder: cannot open the window: %s; give a folder to build its scene without a window\n",
               reason.c_str());
}

// One event that arrived while the scan runs: the tree and the file list stay usable to look at, a
// second press of process is dropped, and the ways out call the scan off.
void DispatchDuringScan(int32_t code) {
  if (code == ui::EventCloseWindow) g_scan->stop = g_scan->quit = true;
  if (code == ui::EventWindowCancel) g_scan->stop = true;
  if (code == ui::EventWindowDrop) SelectDroppedFolder();
  if (code != ui::EventWidget) return;
  switch (ui::EventSource()) {
    case FolderTreeWidget: FolderChosen(); break;
    case QuitButton: g_scan->stop = g_scan->quit = g_scan->quit_button = true; break;
    case FileListWidget:
      if (ui::EventKind() == ui::WidgetEventDoubleClick) ShowDoubleClickedFile();
      break;
    default: break;
  }
}

// Between two entries of the walk: now and then the window paints and takes the user's input.
bool KeepScanning() {
  // Ctrl-C in the terminal the window was started from, or the session ending.
  if (platform::StopRequest() != 0) g_scan->stop = g_scan->quit = true;
  const Clock::time_point now = Clock::now();
  if (now - g_scan->last_pump >= kPumpInterval) {
    g_scan->last_pump = now;
    ui::PumpEvents();
    while (!g_scan->stop && ui::QueuedEventCount() > 0) DispatchDuringScan(ui::EventWait());
  }
  if (now - g_scan->last_status >= kStatusInterval) {
    g_scan->last_status = now;
    ui::StatusLineSetText(MainWindow, ScanningStatus(g_scan->walking, g_scan->images));
  }
  return !g_scan->stop;
}

}  // namespace

bool OpenMainWindow(int& argc, char** argv) {
  if (!ui::StartToolkit(argc, argv, SayWhyNoWindow)) {
    std::fputs("scene-builder: no display to open the window on; give a folder to build its scene without a window\n",
               stderr);
    return false;
  }
  StartLibraries();
  ui::InitEvents();
  ui::InitWindows();
  ui::InitWidgets();
  RegisterDecoders();
  if (ui::WindowCreate(MainWindow, 800, 100, 600, 600, u"SELECT DIRECTORTY TO SCAN FOR IMAGES", kMainWindowFlags) ==
      0) {
    std::fputs("scene-builder: cannot open the main window (is a display available?)\n", stderr);
    ShutDown();
    return false;
  }
  CreateWidgets();
  ArrangeMainWindow();
  return true;
}

bool BuildSceneFile() {
  g_folder_text = ui::WidgetText(FolderTreeWidget);
  const Text folder = g_folder_text;
  // Nothing chosen, or a file: no scene (the first design wrote a stray "<file>image_scan.pov").
  if (folder.empty() || !platform::IsPathSeparator(folder.back())) {
    ui::StatusLineSetText(MainWindow, ChoiceStatus(folder));
    return true;
  }
  RememberFolder(folder);
  WindowScan scan;
  scan.walking = folder;
  g_scan = &scan;
  // A greyed button cannot keep the focus; the list that fills meanwhile takes it, not quit, which a
  // second Space or Enter would press.
  const bool had_focus = ui::WidgetHasFocus(ProcessButton);
  if (had_focus) ui::WidgetFocus(ImageListBox);
  ui::WidgetEnable(ProcessButton, false);
  ui::StatusLineSetText(MainWindow, ScanningStatus(folder, 0));

  SceneHooks hooks;
  hooks.image_found = [&scan](TextView relative) {
    ++scan.images;
    ui::ItemAdd(ImageListBox, -1, ui::ShowLineBreaks(relative));
  };
  hooks.folder_entered = [&scan](TextView walked) { scan.walking = Text(walked); };
  hooks.keep_going = KeepScanning;
  hooks.measure_elsewhere = true;
  const Clock::time_point started = Clock::now();
  platform::BeginStopRequests();
  const SceneOutcome outcome = BuildSceneFileFor(folder, hooks);
  platform::EndStopRequests();
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  g_scan = nullptr;

  if (scan.quit) {
    if (scan.quit_button) ui::WindowDestroy(MainWindow);
    return false;
  }
  // A press made while the button was off never counts.
  ui::RemoveEvents(ui::EventWidget, ProcessButton, -1, -1);
  ui::WidgetEnable(ProcessButton, true);
  if (had_focus) ui::WidgetFocus(ProcessButton);
  // The new image_scan.pov shows with its size; a stopped scan changed nothing there.
  if (!outcome.stopped) ListFolderFiles(ui::WidgetText(FolderTreeWidget));
  ui::StatusLineSetText(MainWindow, OutcomeStatus(folder, outcome, seconds,
                                                  platform::PathExists(runtime::TextConcat({folder, SceneFile}))));
  if (!outcome.stopped && !outcome.reopened) ui::MessageBoxShow(u"", u"?????");
  return true;
}

bool DispatchEvent(int32_t code) {
  if (code == ui::EventCloseWindow) return false;
  if (code == ui::EventWindowDrop) SelectDroppedFolder();
  if (code != ui::EventWidget) return true;
  switch (ui::EventSource()) {
    case FolderTreeWidget: FolderChosen(); break;
    case ProcessButton: return BuildSceneFile();
    case QuitButton: ui::WindowDestroy(MainWindow); return false;
    case FileListWidget:
      if (ui::EventKind() == ui::WidgetEventDoubleClick) ShowDoubleClickedFile();
      break;
    default: break;
  }
  return true;
}

void ShutDown() {
  ui::ShutdownWidgets();
  ui::ShutdownWindows();
  StopLibraries();
  ui::ShutdownEvents();
  ui::StopToolkit();
  g_folder_text.clear();
}

int RunEventLoop() {
  while (DispatchEvent(ui::EventWait())) {
  }
  ShutDown();
  const int signal_number = platform::StopRequest();
  return signal_number != 0 ? 128 + signal_number : 0;
}

int RunWindow(int& argc, char** argv) {
  const int code = OpenMainWindow(argc, argv) ? RunEventLoop() : 1;
  DestroyHeap();
  return code;
}

}  // namespace app
