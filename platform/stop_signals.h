// The ways a person ends a program from its terminal (Ctrl-C, a closed terminal, kill), turned into a
// request that a long task sees between two steps, so that it can put things back before the program
// ends; and the broken pipe of `program | head`, which must not kill the program.
#pragma once

namespace platform {

// From here on SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl-C and Ctrl-Break at the console) are
// recorded instead of ending the program; one that was ignored when the program started (nohup)
// stays ignored. Calls nest with EndStopRequests.
void BeginStopRequests();
// Gives those signals their earlier handling back (one recorded meanwhile stays recorded).
void EndStopRequests();

// The number of the first signal recorded (SIGINT 2, SIGHUP 1, SIGTERM 15; Ctrl-Break is SIGBREAK,
// 21), 0 while none was. Safe to ask from any thread.
int StopRequest();

// A write to a pipe nobody reads any more fails with EPIPE instead of ending the program.
void IgnoreBrokenPipe();

// Lets tests start again with nothing recorded.
void ForgetStopRequestForTesting();

}  // namespace platform
