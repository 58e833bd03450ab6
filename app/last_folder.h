// The folder the user processed last, kept per user so that the next start opens the tree there, and
// the folder the window opens at.
#pragma once

#include <string>

#include "app/scene_builder.h"

namespace app {

// The file that keeps it: scene-builder/last-folder in the user's settings folder
// (platform/settings.h), "" when there is none.
Text LastFolderFile();

// The folder kept there, ending in the separator, when it still is a folder; "" otherwise (no file, a
// file that cannot be read, a folder that is gone).
Text RememberedFolder();

// Keeps a folder (a text ending in the separator; anything else is ignored), in UTF-8. Written under
// another name and renamed over the file, so a failed write leaves the previous folder; a failure is
// ignored without a word.
void RememberFolder(TextView folder);

// The folder the window is to open at: `--window DIR`'s folder (UTF-8 as given, resolved as a batch
// folder argument is) when it was given, else the remembered one. False, keeping none, when the
// argument names no folder. "" goes back to the remembered one.
bool SetStartFolderArgument(const std::string& argument);
Text StartFolder();

}  // namespace app
