#include "app/scan_status.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/path.h"

namespace app {
namespace {

using runtime::TextConcat;

Text Count(int64_t n, TextView one, TextView many) {
  return TextConcat({runtime::TextFromInteger(n), u" ", n == 1 ? one : many});
}

Text ErrorText(int error) { return runtime::TextFromUtf8(error != 0 ? std::strerror(error) : "unknown error"); }

// What the user should know of a scan that ran to its end besides the scene itself.
Text Remarks(const SceneOutcome& outcome) {
  Text remarks;
  for (const Text& name : outcome.templates_not_read) {
    remarks += TextConcat({u"; no readable template ", name, u" (counted as empty)"});
  }
  if (outcome.unreadable_folders > 0) {
    remarks += TextConcat({u"; ", Count(outcome.unreadable_folders, u"folder", u"folders"), u" could not be read"});
  }
  return remarks;
}

}  // namespace

Text ChoiceStatus(TextView tree_text) {
  if (tree_text.empty()) return u"Pick a folder, then press process";
  if (!platform::IsPathSeparator(tree_text.back())) {
    return TextConcat({tree_text, u" is a file: pick a folder, then press process"});
  }
  return TextConcat({u"Press process to write ", SceneFile, u" into ", tree_text});
}

Text ScanningStatus(TextView folder, int64_t images) {
  return TextConcat({u"Scanning ", folder, u" \u2014 ", Count(images, u"image", u"images"), u" so far (Escape stops)"});
}

Text OutcomeStatus(TextView folder, const SceneOutcome& outcome, double seconds, bool previous_scene_exists) {
  const Text scene = TextConcat({folder, SceneFile});
  const Text images = Count(outcome.images, u"image", u"images");
  if (outcome.stopped) {
    return TextConcat({u"Stopped after ", images, u": ", scene, u" was left as it was"});
  }
  if (!outcome.written) {
    return TextConcat({u"Could not write ", scene, u": ", ErrorText(outcome.error),
                       previous_scene_exists ? u"; the previous scene was kept" : u"; nothing was written"});
  }
  if (!outcome.reopened) {
    return TextConcat({u"Wrote ", scene, u" but cannot open it again: ", ErrorText(outcome.error)});
  }
  return TextConcat({u"Wrote ", scene, u": ", images, u" in ", DurationText(seconds), Remarks(outcome)});
}

Text DurationText(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  char text[48];
  if (seconds < 59.95) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else {
    const auto whole = static_cast<long long>(std::llround(seconds));
    std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
  }
  return runtime::TextFromUtf8(text);
}

}  // namespace app
