// The recursive walk that measures every image below a folder and writes one scene line for each.
#pragma once

#include "app/scene_builder.h"

namespace app {

// Walks `path` and every folder below it, depth-first in enumeration order. For each file whose last
// three characters, lower-cased, are png, jpg, gif or hdr: loads it to learn its size (100 x 100 when
// no decoder accepts it), reports its path relative to `base`, and writes its scene line to the
// scene file. A folder already on the current branch (a cycle of links) is not entered again, and a
// folder reached through a link is walked only the first time a link leads to it, so links that fork
// and join again cost time for each folder, not for each path. A folder's entries are read whole
// before its sub-folders are walked, so the depth is not bounded by the number of open files.
// With hooks.jobs other than 1, worker threads measure the images while this thread walks; the
// items and lines still come in walk order, exactly as one thread writes them. When hooks.keep_going
// answers false the walk stops there: no further item or line is added.
struct ScanTally {
  int64_t images = 0;              // items added and lines written
  int64_t unreadable_folders = 0;  // folders that could not be opened (hooks.folder_unreadable)
  bool stopped = false;            // called off through hooks.keep_going
};
ScanTally ScanForImages(TextView path, TextView base, const SceneHooks& hooks);

// `add_image ( "<relative path>", <width>, <height> ) `, the path escaped for the renderer's strings.
Text SceneLine(TextView relative_path, int64_t width, int64_t height);

}  // namespace app
