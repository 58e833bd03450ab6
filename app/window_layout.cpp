#include "app/window_layout.h"

#include "app/last_folder.h"
#include "app/program_icon.h"
#include "platform/identity.h"
#include "platform/path.h"
#include "platform/settings.h"
#include "ui/column_list.h"
#include "ui/toolkit.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace app {
namespace {

// Shares in percent of the extra width and height, as left, top, right, bottom.
constexpr ui::EdgeShares kStays{0, 0, 0, 0};

// The folder a dropped path stands for: itself when a folder, else the folder that holds it; "" for
// a path that names nothing.
Text DroppedFolder(TextView path) {
  Text folder(path);
  while (folder.size() > 1 && platform::IsPathSeparator(folder.back())) folder.pop_back();
  if (!platform::PathExists(folder)) return Text();
  if (!platform::IsFolder(folder)) {
    const size_t separator = folder.find_last_of(platform::kPathSeparatorText);
    if (separator == Text::npos) return Text();
    folder.resize(separator + 1);
    if (!platform::IsFolder(folder)) return Text();
  } else if (folder.empty() || !platform::IsPathSeparator(folder.back())) {
    folder.push_back(platform::kPathSeparator);
  }
  return folder;
}

}  // namespace

const std::vector<ui::LayoutEntry>& MainWindowLayout() {
  static const std::vector<ui::LayoutEntry> entries = {
      {FolderTreeWidget, {{0, 0, 50, 0}, {0, 0, 50, 50}}},
      {FileListWidget, {{50, 0, 100, 0}, {50, 0, 100, 50}}},
      {ProcessButton, {kStays, {0, 50, 0, 50}}},
      {QuitButton, {{50, 0, 50, 0}, {50, 50, 50, 50}}},
      {ImageListBox, {{0, 0, 100, 100}, {0, 50, 100, 100}}},
      {ui::kLayoutStatusLine, {{0, 100, 100, 100}, {0, 100, 100, 100}}},
  };
  return entries;
}

void ArrangeMainWindow() {
  ui::SetProgramIcon(ProgramIconPng());
  ui::ColumnListSetColumnStyle(FileListWidget, 0, ui::kColumnElideMiddle | ui::kColumnFillsList);
  ui::ColumnListSetColumnStyle(FileListWidget, 1, ui::kColumnAlignRight | ui::kColumnFitsTexts);
  ui::WindowSetLayout(MainWindow, kDesignedClient, kLeastClient, MainWindowLayout());
  const Text start = StartFolder();
  if (!start.empty()) ui::WidgetSetText(FolderTreeWidget, start);
}

void SelectDroppedFolder() {
  for (const Text& path : ui::WindowDroppedPaths(MainWindow)) {
    const Text folder = DroppedFolder(path);
    if (folder.empty()) continue;
    ui::WidgetSetText(FolderTreeWidget, folder);
    return;
  }
}

}  // namespace app
