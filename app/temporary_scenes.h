// The hidden names a scene is written under before it takes the place of image_scan.pov, and the
// ones that runs which were killed left behind. Each is held without sharing while it is written, so
// a name that nobody holds is a leftover.
#pragma once

#include "app/scene_builder.h"

namespace app {

// A new hidden name beside the scene file: "." + the scene's name + "." + 12 hexadecimal digits.
// No picture ending matches it, so a scan passes it by while it is being written.
Text TemporaryScenePath(TextView scene_path);

// Whether a bare name has exactly the form TemporaryScenePath gives.
bool IsTemporarySceneName(TextView name);

// 0 when no temporary scene in the folder is being written; else the error a held file gives (so the
// second scan of a folder reports it as it would a held scene file).
int TemporaryScenesHeld(TextView folder);

// Removes the temporary scenes of the folder that nobody holds.
void RemoveLeftoverScenes(TextView folder);

}  // namespace app
