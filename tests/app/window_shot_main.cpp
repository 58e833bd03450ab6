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

#include "app/startup.h"
#include "platform/arguments.h"
#include "tests/app/window_press.h"
#include "ui/folder_tree_rules.h"
#include "ui/window.h"

namespace {

namespace drive = ui_driver;
using namespace app::windowpress;

int Fail(const char* what) {
  std::fprintf(stderr, "app_window_shot: %s\n", what);
  return 1;
}

// The folder is opened from the home item, so the picture shows no other folder of the machine.
bool ChooseBelowHome(const Text& folder) {
  for (int64_t i = 0; i < drive::ChildCount(app::FolderTreeWidget, 0); ++i) {
    const int64_t item = drive::ChildAt(app::FolderTreeWidget, 0, i);
    if (drive::ItemTag(app::FolderTreeWidget, item) == ui::kTagHome) return ChooseInTree(item, folder);
  }
  return false;
}

int Shoot(const Text& folder, const std::string& output) {
  if (!drive::WaitForWindowShown(app::MainWindow)) return Fail("the window was never shown");
  if (!ChooseBelowHome(folder)) return Fail("cannot choose the folder in the tree");
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
