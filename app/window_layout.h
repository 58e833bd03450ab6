// How the main window follows its size and where it opens: the rules its controls follow, how the
// file list shows names and sizes, the folder it opens at, and a folder dropped onto it.
#pragma once

#include <vector>

#include "app/scene_builder.h"
#include "ui/layout.h"

namespace app {

// The client size the window was designed for and the smallest one that keeps every control usable,
// in 1/96 inch.
constexpr ui::Size kDesignedClient{600, 600};
constexpr ui::Size kLeastClient{420, 400};

// How each control follows the window: the tree and the file list share the extra width, the buttons
// keep their size under them, the list box takes the extra height and the status line stays at the
// bottom. A window smaller than designed takes half the height it lacks from the tree and the list.
const std::vector<ui::LayoutEntry>& MainWindowLayout();

// Once the widgets exist: lays the window out by MainWindowLayout (which also fits it onto its
// screen), lets the file list's names and sizes always show whole or elided, and opens the tree at
// StartFolder() (last_folder.h).
void ArrangeMainWindow();

// EventWindowDrop: the first dropped path that is a folder, or the folder of a dropped file, is
// selected in the tree (which lists its files as a click would). Anything else is ignored.
void SelectDroppedFolder();

}  // namespace app
