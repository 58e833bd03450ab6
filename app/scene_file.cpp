#include "app/scene_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "app/image_scan.h"
#include "files/text_file.h"
#include "platform/file.h"
#include "platform/path.h"

namespace app {
namespace {

// Copies a template line by line, re-encoding its ANSI text as UTF-8. The template is opened for
// writing as the open-or-create mode does (so a missing one is created empty); one that refuses
// writing is read anyway, and one that cannot be read at all counts as empty, so the loop always ends.
void CopyTemplate(TextView name, const SceneHooks& hooks) {
  if (files::OpenTextFile(TemplateFileNumber, name) == 0 &&
      files::OpenTextFileForReading(TemplateFileNumber, name) == 0) {
    if (hooks.template_unreadable) hooks.template_unreadable(name);
    return;
  }
  while (!files::EndOfFile(TemplateFileNumber)) {
    files::WriteLine(SceneFileNumber, files::ReadLine(TemplateFileNumber, files::EncodingAscii));
  }
  files::CloseTextFile(TemplateFileNumber);
}

// A hidden name beside the scene file, ending in hexadecimal digits, which no picture ending (png,
// jpg, gif, hdr) matches, so the scan passes it by while it is being written.
Text TemporaryName(TextView scene_path) {
  static uint64_t counter = 0;
  const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  uint64_t salt = now ^ (++counter * 0x9E3779B97F4A7C15u);
  Text suffix;
  for (int i = 0; i < 12; ++i, salt >>= 4) suffix.push_back(u"0123456789abcdef"[salt & 15]);
  size_t name_start = scene_path.size();
  while (name_start > 0 && !platform::IsPathSeparator(scene_path[name_start - 1])) --name_start;
  return runtime::TextConcat({scene_path.substr(0, name_start), u".", scene_path.substr(name_start), u".", suffix});
}

// Starts the scene under SceneFileNumber with a temporary name that is created exclusively: no link
// and no file of somebody else is ever written through. False, with the reason, when that fails.
bool CreateTemporaryScene(TextView scene_path, Text* temporary, int* error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = TemporaryName(scene_path);
    if (files::CreateNewTextFile(SceneFileNumber, *temporary) != 0) return true;
    *error = errno;
    if (*error != EEXIST) return false;
  }
  return false;
}

// Holds the scene file about to be replaced without sharing until the new one is complete, so that a
// scene file that is read-only or held by another program is refused, as writing it in place would
// be. A missing file, a link, a folder or a special file has nothing to hold (a link or
// special file is replaced, a folder refuses the rename). 0, or the refusal's error number.
int HoldPreviousScene(TextView scene_path, platform::FileHandle* held) {
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::OpenExisting;
  options.access = platform::AccessWrite;
  options.share = platform::FileShare::None;
  options.regular_only = true;
  options.follow_links = false;
  *held = platform::FileOpen(Text(scene_path), options);
  if (*held != platform::kInvalidFile) return 0;
  const int error = errno;
  for (int nothing_to_hold : {ENOENT, ENOTDIR, ELOOP, EISDIR, EINVAL, ENXIO})
    if (error == nothing_to_hold) return 0;
  return error;
}

// Puts the finished scene in the place of image_scan.pov (a link of that name is replaced, not
// followed) only when every byte reached the disk; otherwise the previous scene stays as it was and
// the temporary file goes. 0, or the error number of the first failure.
int ReplaceScene(TextView temporary, TextView scene_path) {
  int error = static_cast<int>(files::FinishTextFile(SceneFileNumber));
  if (error == 0) error = platform::FileRename(Text(temporary), Text(scene_path));
  if (error != 0) platform::FileRemove(Text(temporary));
  return error;
}

}  // namespace

SceneOutcome BuildSceneFileFor(TextView folder, const SceneHooks& hooks) {
  SceneOutcome outcome;
  if (runtime::TextEquals(folder, u"")) return outcome;
  const Text base(folder);
  const Text scene_path = runtime::TextConcat({folder, SceneFile});

  platform::FileHandle previous = platform::kInvalidFile;
  Text temporary;
  outcome.error = HoldPreviousScene(scene_path, &previous);
  outcome.created = outcome.error == 0 && CreateTemporaryScene(scene_path, &temporary, &outcome.error);
  // A scene that cannot even be started is reported at once, not after a walk that would be for
  // nothing.
  if (outcome.created) {
    CopyTemplate(HeaderTemplate, hooks);
    const ScanTally tally = ScanForImages(folder, base, hooks);
    outcome.images = tally.images;
    outcome.stopped = tally.stopped;
    if (!outcome.stopped) CopyTemplate(FooterTemplate, hooks);
  }
  // Let go before the rename: Windows refuses to rename over a file held without sharing, ours too.
  platform::FileClose(previous);
  if (outcome.stopped) {
    files::CloseTextFile(SceneFileNumber);
    platform::FileRemove(temporary);
    outcome.written = outcome.reopened = false;
    return outcome;
  }
  if (outcome.created) outcome.error = ReplaceScene(temporary, scene_path);
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
