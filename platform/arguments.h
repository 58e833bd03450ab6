// The program's arguments and the folder a command-line argument names, as the system spells them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// argv[0..argc-1] as UTF-8. On Linux the bytes as given (not UTF-8 stays as it is and is escaped when
// it becomes text); on Windows the UTF-16 command line, so a name outside the ANSI code page arrives
// whole instead of as "?".
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The absolute folder text for a folder argument (UTF-8), ending in the system's separator. On Linux
// the folder the kernel resolves it to (links followed, then ".."); on Windows the full path name,
// "/" and "\" both taken as separators, relative to the current folder or the drive's. A folder that
// does not exist is named as given, made absolute, so that a failure names it.
std::u16string AbsoluteFolderText(const std::string& argument);

// The folder that holds the running program, ending in the system's separator; "" when the system
// cannot tell.
std::u16string ProgramFolder();

}  // namespace platform
