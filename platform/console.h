// The console that the program's text output goes to.
#pragma once

namespace platform {

// Makes standard output and standard error reach the console of the command line that started the
// program, where the system gave a window program none. Streams already redirected (to a file or
// a pipe) are left as they are; without a parent console nothing changes. Nothing to do on Linux.
void AttachParentConsole();

}  // namespace platform
