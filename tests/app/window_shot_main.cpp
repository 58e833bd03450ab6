// Drives the real window as a user would and saves a picture of it: picks FOLDER in the tree, opens
// it, presses process and grabs the window once the scan has listed its images. The README's
// screenshot comes from here (scripts/make-docs-pictures.sh). Run it from the folder that holds the
// templates; without a display it uses the offscreen platform.
//
//   app_window_shot FOLDER OUTPUT.png
//
// Exit codes: 0 saved, 1 the window, the folder or the picture failed, 2 usage.
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/shell.h"
#include "app/startup.h"
#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/window.h"
#include "ui/qt/qt_ui.h"

namespace {

namespace fs = std::filesystem;

void DispatchQueued() {
  while (ui::QueuedEventCount() > 0) app::DispatchEvent(ui::EventWait());
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& name) {
  parent->setExpanded(true);
  for (int i = 0; i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == name) return parent->child(i);
  return nullptr;
}

// A folder below the home folder is reached through "Home", as a user would open it, so the picture
// shows no other folder of the machine; any other folder through the tree's text.
QTreeWidgetItem* FindFolderItem(QTreeWidget* tree, const fs::path& folder) {
  const char* home = std::getenv("HOME");
  const fs::path below_home = home ? folder.lexically_relative(fs::path(home)) : fs::path();
  if (below_home.empty() || *below_home.begin() == "..") {
    ui::WidgetSetText(app::FolderTreeWidget, runtime::TextFromUtf8(folder.string() + "/"));
    DispatchQueued();
    return tree->currentItem();
  }
  QTreeWidgetItem* item = tree->topLevelItemCount() ? ChildNamed(tree->topLevelItem(0), "Home") : nullptr;
  for (const fs::path& name : below_home) {
    if (!item || name == ".") break;
    item = ChildNamed(item, QString::fromStdString(name.string()));
  }
  return item;
}

// Clicks the folder's item and opens it.
bool ChooseFolder(const fs::path& folder) {
  auto* tree = qobject_cast<QTreeWidget*>(ui::QtControl(app::FolderTreeWidget));
  if (!tree) return false;
  QTreeWidgetItem* item = FindFolderItem(tree, folder);
  if (!item) return false;
  item->setExpanded(true);
  tree->scrollToItem(item);
  QCoreApplication::processEvents();
  const QRect where = tree->visualItemRect(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(where.left() + 12, where.center().y()));
  DispatchQueued();
  return ui::WidgetText(app::FolderTreeWidget) == runtime::TextFromUtf8(folder.string() + "/");
}

int Fail(const char* what) {
  std::fprintf(stderr, "app_window_shot: %s\n", what);
  return 1;
}

int Shoot(const fs::path& folder, const char* output) {
  QWidget* window = ui::QtWindow(app::MainWindow);
  if (!QTest::qWaitForWindowExposed(window)) return Fail("the window was never shown");
  if (!ChooseFolder(folder)) return Fail("cannot choose the folder in the tree");
  QWidget* process = ui::QtControl(app::ProcessButton);
  QTest::mouseClick(process, Qt::LeftButton, {}, process->rect().center());
  DispatchQueued();
  QCoreApplication::processEvents();
  if (ui::ItemCount(app::ImageListBox) < 2) return Fail("the scan listed no image");
  if (!window->grab().save(QString::fromLocal8Bit(output), "PNG")) return Fail("cannot save the picture");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: app_window_shot FOLDER OUTPUT.png\n", stderr);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::error_code error;
  const fs::path folder = fs::canonical(argv[1], error);
  if (error) return Fail("the folder does not exist");
  int qt_argc = 1;
  if (!app::OpenMainWindow(qt_argc, argv)) return 1;
  const int code = Shoot(folder, argv[2]);
  app::ShutDown();
  app::DestroyHeap();
  return code;
}
