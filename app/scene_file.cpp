#include "app/scene_file.h"

#include <cerrno>

#include "app/image_scan.h"
#include "app/templates.h"
#include "app/temporary_scenes.h"
#include "files/text_file.h"
#include "platform/file.h"

namespace app {
namespace {

// Starts the scene under SceneFileNumber with a temporary name that is created exclusively: no link
// and no file of somebody else is ever written through. False, with the reason, when that fails.
bool CreateTemporaryScene(TextView scene_path, Text* temporary, int* error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = TemporaryScenePath(scene_path);
    if (files::CreateNewTextFile(SceneFileNumber, *temporary) != 0) return true;
    *error = errno;
    if (*error != EEXIST) return false;
  }
  return false;
}

// Holds the scene file about to be replaced without sharing until the new one is complete, so that a
// scene file that is held by another program is refused, as writing it in place would be; one marked
// read-only is refused whoever runs the program. A missing file, a link, a folder or a special file
// has nothing to hold (a link or special file is replaced, a folder refuses the rename). 0, or the
// refusal's error number.
int HoldPreviousScene(TextView scene_path, platform::FileHandle* held) {
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::OpenExisting;
  options.access = platform::AccessWrite;
  options.share = platform::FileShare::None;
  options.regular_only = true;
  options.follow_links = false;
  *held = platform::FileOpen(Text(scene_path), options);
  if (*held != platform::kInvalidFile) {
    if (!platform::FileIsReadOnly(*held)) return 0;
    platform::FileClose(*held);
    *held = platform::kInvalidFile;
    return EACCES;
  }
  const int error = errno;
  for (int nothing_to_hold : {ENOENT, ENOTDIR, ELOOP, EISDIR, EINVAL, ENXIO})
    if (error == nothing_to_hold) return 0;
  return error;
}

// Puts the finished scene in the place of image_scan.pov (a link of that name is replaced, not
// followed) only when every byte reached the disk, with the permissions (or attributes) of the scene
// it replaces; otherwise the previous scene stays as it was and the temporary file goes. Lets go of
// the previous scene: Windows refuses to rename over a file held without sharing, ours too. 0, or the
// error number of the first failure.
int ReplaceScene(TextView temporary, TextView scene_path, platform::FileHandle previous) {
  int error = static_cast<int>(files::FinishTextFile(SceneFileNumber));
  if (error == 0 && previous != platform::kInvalidFile) error = platform::FileTakeAccessOf(previous, Text(temporary));
  platform::FileClose(previous);
  if (error == 0) error = platform::FileRename(Text(temporary), Text(scene_path));
  if (error != 0) platform::FileRemove(Text(temporary));
  return error;
}

// Writes the scene under its temporary name: header, one line per image, footer.
void WriteScene(TextView folder, const SceneHooks& hooks, SceneOutcome* outcome) {
  if (!CopyTemplate(HeaderTemplate, hooks)) outcome->templates_not_read.emplace_back(HeaderTemplate);
  const ScanTally tally = ScanForImages(folder, folder, hooks);
  outcome->images = tally.images;
  outcome->unreadable_folders = tally.unreadable_folders;
  outcome->stopped = tally.stopped;
  if (outcome->stopped) return;
  if (!CopyTemplate(FooterTemplate, hooks)) outcome->templates_not_read.emplace_back(FooterTemplate);
}

}  // namespace

SceneOutcome BuildSceneFileFor(TextView folder, const SceneHooks& hooks) {
  SceneOutcome outcome;
  if (runtime::TextEquals(folder, u"")) return outcome;
  const Text scene_path = runtime::TextConcat({folder, SceneFile});

  // A scene that cannot even be started (held by another program or another scan, read-only, in a
  // folder that is gone) is reported at once, not after a walk that would be for nothing.
  platform::FileHandle previous = platform::kInvalidFile;
  Text temporary;
  outcome.error = HoldPreviousScene(scene_path, &previous);
  if (outcome.error == 0) outcome.error = TemporaryScenesHeld(folder);
  outcome.created = outcome.error == 0 && CreateTemporaryScene(scene_path, &temporary, &outcome.error);
  if (outcome.created) WriteScene(folder, hooks, &outcome);
  if (outcome.stopped) {
    platform::FileClose(previous);
    files::CloseTextFile(SceneFileNumber);
    platform::FileRemove(temporary);
    outcome.written = outcome.reopened = false;
    return outcome;
  }
  if (outcome.created) {
    outcome.error = ReplaceScene(temporary, scene_path, previous);
    RemoveLeftoverScenes(folder);
  } else {
    platform::FileClose(previous);
  }
  outcome.written = outcome.created && outcome.error == 0;

  outcome.reopened = false;
  if (outcome.written) {
    outcome.reopened = files::OpenTextFile(SceneFileNumber, scene_path) != 0;
    if (!outcome.reopened) outcome.error = errno;
    files::CloseTextFile(SceneFileNumber);
  }
  if (!outcome.reopened && hooks.scene_failed) hooks.scene_failed(scene_path);
  return outcome;
}

}  // namespace app
