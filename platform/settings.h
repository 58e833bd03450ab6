// Where the program keeps what it remembers for its user, and the folder tests that needs.
#pragma once

#include <string>

namespace platform {

// The user's folder for program settings, without a final separator: on Linux $XDG_CONFIG_HOME when
// it is an absolute path, else $HOME/.config; on Windows %APPDATA%. "" when none can be named.
std::u16string UserSettingsFolder();

// Whether the path names a folder (links followed).
bool IsFolder(const std::u16string& path);

// Creates the folder and every missing folder above it; true when it is a folder afterwards.
bool MakeFolders(const std::u16string& path);

}  // namespace platform
