// The fixed numbers and names the scene builder uses, and the hooks through which the scan and the
// scene build report to whoever runs them (the window, or the command line).
#pragma once

#include <functional>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace app {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

constexpr ObjectNumber MainWindow = 0;
constexpr ObjectNumber FolderTreeWidget = 1;
constexpr ObjectNumber FileListWidget = 2;
constexpr ObjectNumber ProcessButton = 3;
constexpr ObjectNumber QuitButton = 4;
constexpr ObjectNumber ImageListBox = 6;

constexpr ObjectNumber ListingScanNumber = 0;
constexpr ObjectNumber SceneFileNumber = 5;
constexpr ObjectNumber TemplateFileNumber = 8;

inline constexpr char16_t SceneFile[] = u"image_scan.pov";
inline constexpr char16_t HeaderTemplate[] = u"pov_image_read_A.txt";
inline constexpr char16_t FooterTemplate[] = u"pov_image_read_B.txt";

struct SceneHooks {
  // An image was found: its path relative to the scanned folder, as it should be shown.
  std::function<void(TextView relative_path)> image_found;
  // Called before each folder entry the scan looks at, so that a window can keep painting during a
  // long scan.
  std::function<void()> between_files;
  // A template exists but could not be read; it counts as empty.
  std::function<void(TextView name)> template_unreadable;
  // The finished scene file could not be opened again.
  std::function<void(TextView scene_path)> scene_failed;
  // Threads that measure images during the scan: 1 measures on the scan's own thread; 0 takes the
  // default (MeasuringThreads).
  int jobs = 0;
};

}  // namespace app
