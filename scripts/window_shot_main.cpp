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

// Null once the picture is saved, else what failed.
const char* Shoot(const Text& folder, const std::string& output) {
  if (!drive::WaitForWindowShown(app::MainWindow)) return "the window was never shown";
  // The home item comes after the drives; the folder is opened from it, so the picture shows no other
  // folder of the machine.
  const int64_t home = drive::ChildAt(app::FolderTreeWidget, 0, drive::ChildCount(app::FolderTreeWidget, 0) - 1);
  if (drive::ItemTag(app::FolderTreeWidget, home) != ui::kTagHome || !ChooseInTree(home, folder))
    return "cannot choose the folder below the home folder in the tree";
  drive::Click(app::ProcessButton);
  DispatchQueued();
  drive::Process(200);
  if (ui::ItemCount(app::ImageListBox) < 2) return "the scan listed no image";
  if (!drive::SaveWindowPicture(app::MainWindow, output)) return "cannot save the picture";
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: app_window_shot FOLDER OUTPUT\n", stderr);
    return 2;
  }
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  int toolkit_argc = 1;
  if (!drive::StartForTests(toolkit_argc, argv)) return 1;
  const char* failed = "the window cannot be opened";
  if (app::OpenMainWindow(toolkit_argc, argv)) {
    failed = Shoot(platform::AbsoluteFolderText(arguments[1]), arguments[2]);
    app::ShutDown();
  }
  drive::StopForTests();
  app::DestroyHeap();
  if (failed) std::fprintf(stderr, "app_window_shot: %s\n", failed);
  return failed ? 1 : 0;
}
