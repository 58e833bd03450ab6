// The file list beside the folder tree: every file of the chosen folder with its size in bytes.
#pragma once

#include "app/scene_builder.h"

namespace app {

// The row text for one file: name, LF, size in plain decimal digits, LF. Line breaks inside the name are
// shown as their symbols (ui::ShowLineBreaks), so the name stays in the Name column whole.
Text FileRowText(TextView name, uint64_t size);

// Clears widget 2, then lists the files (not the folders) of `folder` in enumeration order.
void ListFolderFiles(TextView folder);

}  // namespace app
