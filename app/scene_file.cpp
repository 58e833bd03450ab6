#include "app/scene_file.h"

#include "app/image_scan.h"
#include "files/text_file.h"

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

}  // namespace

SceneOutcome BuildSceneFileFor(TextView folder, const SceneHooks& hooks) {
  SceneOutcome outcome;
  if (runtime::TextEquals(folder, u"")) return outcome;
  const Text base(folder);
  const Text scene_path = runtime::TextConcat({folder, SceneFile});

  outcome.created = files::CreateTextFile(SceneFileNumber, scene_path) != 0;
  CopyTemplate(HeaderTemplate, hooks);
  ScanForImages(folder, base, hooks);
  CopyTemplate(FooterTemplate, hooks);
  files::CloseTextFile(SceneFileNumber);

  outcome.reopened = files::OpenTextFile(SceneFileNumber, scene_path) != 0;
  if (!outcome.reopened && hooks.scene_failed) hooks.scene_failed(scene_path);
  files::CloseTextFile(SceneFileNumber);
  return outcome;
}

}  // namespace app
