// Assembly of the scene file: header template, one line per image, footer template.
#pragma once

#include <vector>

#include "app/scene_builder.h"

namespace app {

struct SceneOutcome {
  bool created = true;                   // the new scene could be started (under a temporary name beside it)
  bool written = true;                   // every byte reached the disk and the new scene replaced image_scan.pov
  bool reopened = true;                  // the finished scene file could be opened again
  bool stopped = false;                  // the scan was called off: nothing was written, the previous scene stands
  int error = 0;                         // the system's error number for the first of these that failed
  int64_t images = 0;                    // images listed and written
  int64_t unreadable_folders = 0;        // folders the walk could not open
  std::vector<Text> templates_not_read;  // found nowhere or unreadable: each counted as empty
};

// Writes <folder>image_scan.pov for the folder text as the folder tree gives it (a folder ends in
// "/"). An empty folder text does nothing at all. The templates come from the current folder, else
// from the installed template folder (templates.h). The scene is written under a temporary name and
// takes the place of image_scan.pov, with its permissions, only when every byte reached the disk, so
// a failure (a full disk) leaves the previous scene as it was. A previous scene file that is
// read-only or held (by another program or another scan of the folder) is refused and kept, and
// then nothing is walked. A scan called off through hooks.keep_going writes nothing: its temporary
// file goes and the previous scene stands. A finished scan removes the temporary scenes that killed
// runs left in the folder. hooks.scene_failed is called once when the scene could not be written or
// the finished file cannot be opened again.
SceneOutcome BuildSceneFileFor(TextView folder, const SceneHooks& hooks);

}  // namespace app
