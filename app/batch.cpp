#include "app/batch.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/scene_file.h"
#include "app/startup.h"

namespace app {
namespace {

void PrintLine(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

}  // namespace

runtime::Text FolderTextForArgument(const char* argument) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(argument, error);
  if (error) path = argument;
  std::string text = path.lexically_normal().string();
  if (text.empty() || text.back() != '/') text.push_back('/');
  return runtime::TextFromUtf8(text);
}

int RunBatch(const char* folder_argument, int jobs) {
  (void)jobs;
  StartLibraries();
  RegisterDecoders();
  const Text folder = FolderTextForArgument(folder_argument);
  SceneHooks hooks;
  hooks.image_found = [](TextView relative) { PrintLine(stdout, runtime::TextToUtf8(relative)); };
  hooks.template_unreadable = [](TextView name) {
    PrintLine(stderr, "scene-builder: cannot read the template " + runtime::TextToUtf8(name) + "; it counts as empty");
  };
  const SceneOutcome outcome = BuildSceneFileFor(folder, hooks);
  std::fflush(stdout);
  const bool written = outcome.created && outcome.reopened;
  if (!written) {
    PrintLine(stderr, "scene-builder: cannot write the scene file " +
                          runtime::TextToUtf8(runtime::TextConcat({folder, SceneFile})));
  }
  StopLibraries();
  DestroyHeap();
  return written ? 0 : 1;
}

}  // namespace app
