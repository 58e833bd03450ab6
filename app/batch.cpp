#include "app/batch.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/scene_file.h"
#include "app/startup.h"
#include "platform/arguments.h"

namespace app {
namespace {

void PrintLine(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

}  // namespace

int RunBatch(const std::string& folder_argument, int jobs) {
  StartLibraries();
  RegisterDecoders();
  // As the tree would give it: absolute, ending in the separator.
  const Text folder = platform::AbsoluteFolderText(folder_argument);
  SceneHooks hooks;
  hooks.jobs = jobs;
  hooks.image_found = [](TextView relative) { PrintLine(stdout, runtime::TextToUtf8(relative)); };
  hooks.template_unreadable = [](TextView name) {
    PrintLine(stderr, "scene-builder: cannot read the template " + runtime::TextToUtf8(name) + "; it counts as empty");
  };
  const SceneOutcome outcome = BuildSceneFileFor(folder, hooks);
  std::fflush(stdout);
  const bool written = outcome.created && outcome.written && outcome.reopened;
  if (!written) {
    std::string message =
        "scene-builder: cannot write the scene file " + runtime::TextToUtf8(runtime::TextConcat({folder, SceneFile}));
    if (outcome.error != 0) message += std::string(": ") + std::strerror(outcome.error);
    PrintLine(stderr, message);
  }
  StopLibraries();
  DestroyHeap();
  return written ? 0 : 1;
}

}  // namespace app
