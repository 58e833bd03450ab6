// A plain window shown by the program until its real window is built on the widget layer.
#pragma once

namespace ui {

int RunPlaceholderWindow(int argc, char** argv);

}  // namespace ui
