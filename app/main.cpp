#include <cstdio>
#include <string>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/shell.h"

int main(int argc, char** argv) {
  const app::CommandLineRecord command = app::ParseCommandLine(argc, argv);
  switch (command.action) {
    case app::CommandAction::kWindow:
      return app::RunWindow(argc, argv);
    case app::CommandAction::kBatch:
      return app::RunBatch(command.folder.c_str(), command.jobs);
    case app::CommandAction::kHelp:
      std::fputs(app::UsageText(), stdout);
      return 0;
    case app::CommandAction::kVersion:
      std::puts(app::VersionText().c_str());
      return 0;
    case app::CommandAction::kRefuse:
      break;
  }
  std::fprintf(stderr, "scene-builder: %s\nTry 'scene-builder --help' for more information.\n", command.error.c_str());
  return 2;
}
