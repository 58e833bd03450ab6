#include "app/batch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/scene_file.h"
#include "app/startup.h"
#include "platform/arguments.h"
#include "platform/stop_signals.h"

namespace app {
namespace {

void Say(const std::string& text) {
  const std::string line = "scene-builder: " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string Utf8(TextView text) { return runtime::TextToUtf8(text); }

std::string Reason(int error) { return error != 0 ? std::strerror(error) : "unknown error"; }

// Standard output may be a pipe whose reader has gone (`| head -1`) or a file on a full disk: the
// listing stops at its first failed write, which is remembered, while the scene is still written.
struct Listing {
  int error = 0;  // the first failed write's error number

  void Print(const std::string& line) {
    if (error != 0) return;
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fputc('\n', stdout) == EOF) {
      error = errno != 0 ? errno : EIO;
    }
  }

  void Finish() {
    errno = 0;
    if (error == 0 && std::fflush(stdout) != 0) error = errno != 0 ? errno : EIO;
  }
};

SceneHooks BatchHooks(int jobs, Listing* listing) {
  SceneHooks hooks;
  hooks.jobs = jobs;
  hooks.image_found = [listing](TextView relative) { listing->Print(Utf8(relative)); };
  hooks.keep_going = [] { return platform::StopRequest() == 0; };
  hooks.folder_unreadable = [](TextView folder, int error) {
    Say("cannot read the folder " + Utf8(folder) + ": " + Reason(error) + "; it is left out");
  };
  hooks.template_unreadable = [](TextView path) {
    Say("cannot read the template " + Utf8(path) + "; it counts as empty");
  };
  hooks.template_missing = [](TextView name, TextView installed) {
    std::string where = "the current folder";
    if (!installed.empty()) where += " or in " + Utf8(installed);
    Say("no template " + Utf8(name) + " in " + where + "; it counts as empty");
  };
  return hooks;
}

}  // namespace

int RunBatch(const std::string& folder_argument, int jobs) {
  // Ctrl-C, a closed terminal or kill during the scan put the previous scene back before the end.
  platform::BeginStopRequests();
  StartLibraries();
  RegisterDecoders();
  // As the tree would give it: absolute, ending in the separator.
  const Text folder = platform::AbsoluteFolderText(folder_argument);
  const Text scene = runtime::TextConcat({folder, SceneFile});
  Listing listing;
  const SceneOutcome outcome = BuildSceneFileFor(folder, BatchHooks(jobs, &listing));
  listing.Finish();
  int code = 0;
  if (outcome.stopped) {
    Say("stopped; " + Utf8(scene) + " was left as it was");
  } else if (!(outcome.created && outcome.written && outcome.reopened)) {
    std::string message = "cannot write the scene file " + Utf8(scene);
    if (outcome.error != 0) message += ": " + Reason(outcome.error);
    Say(message);
    code = 1;
  }
  // A reader that has gone wanted no more; any other failure lost part of the listing.
  if (listing.error != 0 && listing.error != EPIPE) {
    Say("cannot write the list of images to standard output: " + Reason(listing.error));
    code = 1;
  }
  StopLibraries();
  DestroyHeap();
  platform::EndStopRequests();
  if (const int signal_number = platform::StopRequest()) code = 128 + signal_number;
  return code;
}

}  // namespace app
