// Assembly of the scene file: header template, one line per image, footer template.
#pragma once

#include "app/scene_builder.h"

namespace app {

struct SceneOutcome {
  bool created = true;   // the scene file could be created (or emptied)
  bool reopened = true;  // the finished scene file could be opened again
};

// Writes <folder>image_scan.pov for the folder text as the folder tree gives it (a folder ends in
// "/"). An empty folder text does nothing at all. hooks.scene_failed is called when the finished
// scene file cannot be opened again.
SceneOutcome BuildSceneFileFor(TextView folder, const SceneHooks& hooks);

}  // namespace app
