// TEMPORARY: the column list and the folder tree of the Win32 backend are being written in
// column_list.cpp and folder_tree.cpp; until they land these make no control, so that the window
// links. Delete this file with their arrival.
#include "ui/column_list.h"
#include "ui/folder_tree.h"

namespace ui {

int64_t ColumnListCreate(runtime::ObjectNumber, int32_t, int32_t, int32_t, int32_t, runtime::TextView, int32_t,
                         uint32_t) {
  return 0;
}

std::vector<runtime::Text> SplitColumnTexts(runtime::TextView) { return {}; }

int64_t FolderTreeCreate(runtime::ObjectNumber, int32_t, int32_t, int32_t, int32_t, runtime::TextView, uint32_t) {
  return 0;
}

void SetMountTableReader(MountTableReader) {}
void SetVolumeSpaceQuery(VolumeSpaceQuery) {}
void FolderTreeMountsChanged() {}

}  // namespace ui
