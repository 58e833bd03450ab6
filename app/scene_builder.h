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
  // The walk enters a folder (its full path, ending in the separator).
  std::function<void(TextView folder)> folder_entered;
  // Asked before each folder entry the walk looks at, and about every 20 ms while it waits for a
  // measurement, so that a window keeps painting during a long scan and its user can call the scan
  // off: false stops the scan there, and the scene is left as it was.
  std::function<bool()> keep_going;
  // A folder the walk could not open (its permissions, a path too long for the system): its full
  // path and the system's error number. The walk goes on without it.
  std::function<void(TextView folder, int error)> folder_unreadable;
  // A template exists but could not be read (its path as looked for); it counts as empty.
  std::function<void(TextView path)> template_unreadable;
  // A template is neither in the current folder nor in the installed template folder (`installed`,
  // "" when the program cannot tell where it lies); it counts as empty.
  std::function<void(TextView name, TextView installed)> template_missing;
  // The scene file could not be written, or the finished file could not be opened again.
  std::function<void(TextView scene_path)> scene_failed;
  // Threads that measure images during the scan: 1 measures on the scan's own thread; 0 takes the
  // default (MeasuringThreads).
  int jobs = 0;
  // The scan's own thread must never be busy for long (it paints a window): images are measured on
  // worker threads even with one job.
  bool measure_elsewhere = false;
};

}  // namespace app
