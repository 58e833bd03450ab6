// The program's icon as a PNG file's bytes, drawn from packaging/scene-builder.svg when the program is
// built, so that the window shows it wherever the program runs from. Empty on Windows, where the
// window class takes the icon from the program's resources.
#pragma once

#include <string_view>

namespace app {

std::string_view ProgramIconPng();

}  // namespace app
