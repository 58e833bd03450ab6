#include "app/shell.h"

#include <cstdio>
#include <string>

#include "app/folder_listing.h"
#include "app/last_folder.h"
#include "app/scene_file.h"
#include "app/startup.h"
#include "app/window_layout.h"
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

constexpr uint32_t kMainWindowFlags = 0xCC0000;  // title bar, close box, sizing border

// Receives the tree's text at every event of the tree or of the process button.
Text g_folder_text;

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
  ui::StatusLineSetText(MainWindow, u"Pick a folder, then press process");
}

void ShowDoubleClickedFile() {
  const int64_t row = ui::WidgetState(FileListWidget);
  const Text name = ui::ItemText(FileListWidget, row, 0);
  ui::MessageBoxShow(u"File Selected", runtime::TextConcat({u"You double-clicked: ", name}));
}

void SayWhyNoWindow(const std::string& reason) {
  std::fprintf(stderr, "scene-builder: cannot open the window: %s; give a folder to build its scene without a window\n",
               reason.c_str());
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

void BuildSceneFile() {
  g_folder_text = ui::WidgetText(FolderTreeWidget);
  RememberFolder(g_folder_text);
  SceneHooks hooks;
  hooks.image_found = [](TextView relative) { ui::ItemAdd(ImageListBox, -1, ui::ShowLineBreaks(relative)); };
  hooks.between_files = [] { ui::PumpEvents(); };
  hooks.scene_failed = [](TextView) { ui::MessageBoxShow(u"", u"?????"); };
  BuildSceneFileFor(g_folder_text, hooks);
}

bool DispatchEvent(int32_t code) {
  if (code == ui::EventCloseWindow) return false;
  if (code == ui::EventWindowDrop) SelectDroppedFolder();
  if (code != ui::EventWidget) return true;
  switch (ui::EventSource()) {
    case FolderTreeWidget:
      g_folder_text = ui::WidgetText(FolderTreeWidget);
      ListFolderFiles(g_folder_text);
      break;
    case ProcessButton: BuildSceneFile(); break;
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
  return 0;
}

int RunWindow(int& argc, char** argv) {
  const int code = OpenMainWindow(argc, argv) ? RunEventLoop() : 1;
  DestroyHeap();
  return code;
}

}  // namespace app
