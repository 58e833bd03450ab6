#include "app/batch.h"

#include <cstdio>
#include <cstring>
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
  // As the shell resolves it: "link/.." is the folder above the link's target, not the current one.
  std::filesystem::path path = std::filesystem::canonical(argument, error);
  if (error) {
    // A folder that does not exist keeps its name as given, so that the failure names it.
    path = std::filesystem::absolute(argument, error);
    if (error) path = argument;
    path = path.lexically_normal();
  }
  std::string text = path.string();
  if (text.empty() || text.back() != '/') text.push_back('/');
  return runtime::TextFromUtf8(text);
}

int RunBatch(const char* folder_argument, int jobs) {
  StartLibraries();
  RegisterDecoders();
  const Text folder = FolderTextForArgument(folder_argument);
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
    std::string message = "scene-builder: cannot write the scene file " +
                          runtime::TextToUtf8(runtime::TextConcat({folder, SceneFile}));
    if (outcome.error != 0) message += std::string(": ") + std::strerror(outcome.error);
    PrintLine(stderr, message);
  }
  StopLibraries();
  DestroyHeap();
  return written ? 0 : 1;
}

}  // namespace app
