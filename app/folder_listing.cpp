#include "app/folder_listing.h"

#include "files/folder_scan.h"
#include "ui/shown_name.h"
#include "ui/widget.h"

namespace app {

Text FileRowText(TextView name, uint64_t size) {
  const Text digits = runtime::TextFromInteger(static_cast<int64_t>(size));
  return runtime::TextConcat({ui::ShowLineBreaks(name), u"\n", digits, u"\n"});
}

void ListFolderFiles(TextView folder) {
  ui::ItemsClear(FileListWidget);
  if (runtime::TextEquals(folder, u"")) return;
  if (files::OpenFolderScan(ListingScanNumber, folder, u"*.*") == 0) return;
  while (files::NextFolderEntry(ListingScanNumber)) {
    const Text name = files::FolderEntryName(ListingScanNumber);
    if (files::FolderEntryKind(ListingScanNumber) != files::EntryFile) continue;
    ui::ItemAdd(FileListWidget, -1, FileRowText(name, files::FolderEntrySize(ListingScanNumber)));
  }
  files::CloseFolderScan(ListingScanNumber);
}

}  // namespace app
