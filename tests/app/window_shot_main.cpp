// Drives the real window as a user would and saves a picture of it: picks FOLDER, which must lie below
// the home (documents) folder, in the tree, presses process and saves the window once the scan has
// listed its images. The README's screenshots come from here (scripts/make-docs-pictures.sh). Run it
// from the folder that holds the templates.
//
//   app_window_shot FOLDER OUTPUT
//
// Exit codes: 0 saved, 1 the window, the folder or the picture failed, 2 usage.
#include <cstdio>
#include <string>

#include "app/shell.h"
#include "app/startup.h"
#include "platform/arguments.h"
#include "platform/path.h"
#include "tests/ui/driver.h"
#include "ui/event_queue.h"
#include "ui/folder_tree_rules.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace {

namespace drive = ui_driver;
using runtime::Text;
using runtime::TextView;

void DispatchQueued() {
  while (ui::QueuedEventCount() > 0) app::DispatchEvent(ui::EventWait());
}

// The child of `item` whose path is `path`, -1 when it has none.
int64_t ChildWithPath(int64_t item, TextView path) {
  drive::ExpandItem(app::FolderTreeWidget, item);
  for (int64_t i = 0; i < drive::ChildCount(app::FolderTreeWidget, item); ++i) {
    const int64_t child = drive::ChildAt(app::FolderTreeWidget, item, i);
    if (ui::ItemText(app::FolderTreeWidget, child, 0) == path) return child;
  }
  return -1;
}

// The folder is opened from the home item, name by name, as a user would, so the picture shows no
// other folder of the machine.
int64_t FindFolderItem(const Text& folder) {
  for (int64_t i = 0; i < drive::ChildCount(app::FolderTreeWidget, 0); ++i) {
    int64_t item = drive::ChildAt(app::FolderTreeWidget, 0, i);
    if (drive::ItemTag(app::FolderTreeWidget, item) != ui::kTagHome) continue;
    const Text home = ui::ItemText(app::FolderTreeWidget, item, 0);
    if (folder.compare(0, home.size(), home) != 0) return -1;
    for (size_t end = folder.find(platform::kPathSeparator, home.size()); item >= 0 && end != Text::npos;
         end = folder.find(platform::kPathSeparator, end + 1))
      item = ChildWithPath(item, TextView(folder).substr(0, end + 1));
    return item;
  }
  return -1;
}

// Clicks the folder's item and opens it.
bool ChooseFolder(const Text& folder) {
  const int64_t item = FindFolderItem(folder);
  if (item < 0) return false;
  drive::ExpandItem(app::FolderTreeWidget, item);
  const ui::Rect where = drive::ItemRect(app::FolderTreeWidget, item);
  drive::ClickAt(app::FolderTreeWidget, {where.x + 12, where.y + (where.height - 1) / 2});
  DispatchQueued();
  return ui::WidgetText(app::FolderTreeWidget) == folder;
}

int Fail(const char* what) {
  std::fprintf(stderr, "app_window_shot: %s\n", what);
  return 1;
}

int Shoot(const Text& folder, const std::string& output) {
  if (!drive::WaitForWindowShown(app::MainWindow)) return Fail("the window was never shown");
  if (!ChooseFolder(folder)) return Fail("cannot choose the folder in the tree");
  drive::Click(app::ProcessButton);
  DispatchQueued();
  drive::Process(200);
  if (ui::ItemCount(app::ImageListBox) < 2) return Fail("the scan listed no image");
  if (!drive::SaveWindowPicture(app::MainWindow, output)) return Fail("cannot save the picture");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: app_window_shot FOLDER OUTPUT\n", stderr);
    return 2;
  }
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  const Text folder = platform::AbsoluteFolderText(arguments[1]);
  int toolkit_argc = 1;
  if (!drive::StartForTests(toolkit_argc, argv)) return Fail("no window can be opened");
  if (!app::OpenMainWindow(toolkit_argc, argv)) return 1;
  const int code = Shoot(folder, arguments[2]);
  app::ShutDown();
  drive::StopForTests();
  app::DestroyHeap();
  return code;
}
