// The words of the window's status line: what to do next, how far a scan has got, and how it ended.
#pragma once

#include <cstdint>

#include "app/scene_builder.h"
#include "app/scene_file.h"

namespace app {

// What the tree names: nothing (or the top item), a folder (its text ends in the separator) or a file.
Text ChoiceStatus(TextView tree_text);

// During a scan: the folder being walked and the images found so far.
Text ScanningStatus(TextView folder, int64_t images);

// After a scan of `folder` that took `seconds`. `previous_scene_exists`: an image_scan.pov stands in
// the folder now (so a scene that could not be written left the previous one in place).
Text OutcomeStatus(TextView folder, const SceneOutcome& outcome, double seconds, bool previous_scene_exists);

// "0.4 s", "12.3 s", "3 min 05 s".
Text DurationText(double seconds);

}  // namespace app
