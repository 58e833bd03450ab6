#include <cstdio>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/last_folder.h"
#include "app/shell.h"
#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/stop_signals.h"

int main(int argc, char** argv) {
  // `scene-builder DIR | head -1` must still write its scene: a closed pipe is an error to handle.
  platform::IgnoreBrokenPipe();
  // UTF-8 on every system, so that a folder named outside the ANSI code page reaches the scan whole.
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  const app::CommandLineRecord command = app::ParseCommandLine(static_cast<int>(pointers.size()), pointers.data());
  // What is printed from here on belongs on the console of the command line that started the program.
  if (command.action != app::CommandAction::kWindow) platform::AttachParentConsole();
  switch (command.action) {
    case app::CommandAction::kWindow:
      if (!command.folder.empty() && !app::SetStartFolderArgument(command.folder)) {
        std::fprintf(stderr, "scene-builder: --window: no folder '%s'\n", command.folder.c_str());
        return 2;
      }
      return app::RunWindow(argc, argv);
    case app::CommandAction::kBatch: return app::RunBatch(command.folder, command.jobs);
    case app::CommandAction::kHelp: std::fputs(app::UsageText(), stdout); return 0;
    case app::CommandAction::kVersion: std::puts(app::VersionText().c_str()); return 0;
    case app::CommandAction::kRefuse: break;
  }
  std::fprintf(stderr, "scene-builder: %s\nTry 'scene-builder --help' for more information.\n", command.error.c_str());
  return 2;
}
