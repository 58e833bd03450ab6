// What the command line asks for: the window, a scene built without a window, or a few words.
#pragma once

#include <string>

namespace app {

enum class CommandAction {
  kWindow,   // no arguments at all, or --window FOLDER
  kBatch,    // one folder
  kHelp,     // --help or -h
  kVersion,  // --version
  kRefuse,   // a usage error: `error` says what, the exit code is 2
};

struct CommandLineRecord {
  CommandAction action = CommandAction::kWindow;
  std::string folder;  // kBatch: the folder argument as given; kWindow: --window's folder, "" without it
  int jobs = 0;        // kBatch: --jobs N, 0 when not given (the scan then picks its own count)
  std::string error;   // kRefuse: one line, without the program's name
};

// The largest --jobs count taken; more threads than this only cost memory.
constexpr int kMostJobs = 1024;

// Reads argv[1..argc-1]. Options come before the folder; "--" ends them, so a folder may begin
// with "-". The first --help or --version wins over anything after it.
CommandLineRecord ParseCommandLine(int argc, const char* const* argv);

// The usage text of --help.
const char* UsageText();

// The version line of --version.
std::string VersionText();

}  // namespace app
