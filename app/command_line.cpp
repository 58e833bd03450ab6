#include "app/command_line.h"

#include <cstring>
#include <string_view>

namespace app {
namespace {

constexpr std::string_view kJobsOption = "--jobs";
constexpr std::string_view kWindowOption = "--window";

CommandLineRecord Refuse(std::string error) {
  CommandLineRecord record;
  record.action = CommandAction::kRefuse;
  record.error = std::move(error);
  return record;
}

// Digits only, so "+2", " 2", "2x" and "0x10" are all refused rather than half read.
bool ReadJobCount(std::string_view text, int& jobs) {
  if (text.empty()) return false;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > kMostJobs) return false;
  }
  if (value < 1) return false;
  jobs = static_cast<int>(value);
  return true;
}

std::string JobsError(std::string_view text) {
  return "--jobs needs a whole number from 1 to " + std::to_string(kMostJobs) + ", not '" + std::string(text) + "'";
}

}  // namespace

CommandLineRecord ParseCommandLine(int argc, const char* const* argv) {
  CommandLineRecord record;
  bool jobs_given = false;
  bool window_given = false;
  bool options_ended = false;
  int folders = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool is_option = !options_ended && argument.size() > 1 && argument.front() == '-';
    if (!is_option) {
      if (++folders == 1) record.folder = argv[i];
      continue;
    }
    if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      record.action = CommandAction::kHelp;
      return record;
    } else if (argument == "--version") {
      record.action = CommandAction::kVersion;
      return record;
    } else if (argument == kJobsOption) {
      if (i + 1 >= argc) return Refuse("--jobs needs a number");
      if (!ReadJobCount(argv[++i], record.jobs)) return Refuse(JobsError(argv[i]));
      jobs_given = true;
    } else if (argument == kWindowOption || argument.starts_with("--window=")) {
      if (argument == kWindowOption && i + 1 >= argc) return Refuse("--window needs a folder");
      record.folder = argument == kWindowOption ? argv[++i] : std::string(argument.substr(kWindowOption.size() + 1));
      if (record.folder.empty()) return Refuse("--window needs a folder");
      window_given = true;
    } else if (argument.starts_with("--jobs=")) {
      const std::string_view count = argument.substr(kJobsOption.size() + 1);
      if (!ReadJobCount(count, record.jobs)) return Refuse(JobsError(count));
      jobs_given = true;
    } else {
      return Refuse("unknown option '" + std::string(argument) + "' (a folder that begins with '-' goes after --)");
    }
  }
  if (folders > 1) return Refuse("give one folder, not " + std::to_string(folders));
  if (window_given) {
    if (folders == 1) return Refuse("--window opens the window at its folder: give no other folder");
    if (jobs_given) return Refuse("--jobs is for building a folder's scene without a window");
    return record;
  }
  if (folders == 1) {
    record.action = CommandAction::kBatch;
  } else if (jobs_given) {
    return Refuse("--jobs is for building a folder's scene: give the folder too");
  } else if (options_ended) {
    return Refuse("-- must be followed by a folder");
  }
  return record;
}

const char* UsageText() {
  return "usage: scene-builder                        open the window\n"
         "       scene-builder --window FOLDER        open the window at FOLDER\n"
         "       scene-builder [--jobs N] [--] FOLDER  write FOLDER/image_scan.pov without a window\n"
         "       scene-builder --help | --version\n"
         "\n"
         "The window: pick a folder in the tree, press \"process\" and the scene file image_scan.pov is\n"
         "written into it, one add_image line per png, jpg, gif and hdr file found in it and below it.\n"
         "Without a window the same scene is written for FOLDER and every image found is printed, one\n"
         "relative path a line.\n"
         "\n"
         "Both modes read the header pov_image_read_A.txt and the footer pov_image_read_B.txt. Each is\n"
         "taken from the current folder when it is there, else from the installed template folder,\n"
#ifdef _WIN32
         "the program's own folder; none is ever created. A template found nowhere counts as empty\n"
         "and is named on stderr.\n"
#else
         "../share/scene-builder from the program's own folder (/usr/share/scene-builder for\n"
         "/usr/bin/scene-builder); none is ever created. A template found nowhere counts as empty and\n"
         "is named on stderr.\n"
#endif
         "\n"
         "options:\n"
         "  --window FOLDER     open the window with FOLDER chosen in the tree (without it the window\n"
         "                      opens at the folder processed last)\n"
         "  --jobs N, --jobs=N  measure images on N threads (1 to 1024; default: the environment\n"
         "                      variable SCENE_BUILDER_JOBS, else one per hardware thread)\n"
         "  --                  end of options: a folder named -x is given as -- -x\n"
         "  -h, --help          print this text and exit\n"
         "  --version           print the version and exit\n"
         "\n"
         "exit codes:\n"
         "  0  the window was closed, or the scene file was written\n"
         "  1  the scene file or the listing could not be written, or no display to open the window on\n"
         "  2  a usage error\n"
         "  128+N  signal N (2: Ctrl-C) stopped the scan; the previous scene was left as it was\n";
}

std::string VersionText() { return std::string("scene-builder ") + SB_VERSION; }

}  // namespace app
