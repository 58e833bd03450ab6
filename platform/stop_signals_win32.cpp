#include "platform/stop_signals.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace platform {
namespace {

std::atomic<int> g_request{0};
int g_depth = 0;

// Runs on a thread the system starts for it; TRUE keeps the process alive until the task has put
// things back.
BOOL WINAPI OnConsoleControl(DWORD event) {
  int signal_number = 0;
  if (event == CTRL_C_EVENT) signal_number = SIGINT;
  if (event == CTRL_BREAK_EVENT) signal_number = SIGBREAK;
  if (signal_number == 0) return FALSE;
  int none = 0;
  g_request.compare_exchange_strong(none, signal_number);
  return TRUE;
}

}  // namespace

void BeginStopRequests() {
  if (g_depth++ == 0) SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void EndStopRequests() {
  if (g_depth > 0 && --g_depth == 0) SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

int StopRequest() { return g_request.load(); }

// Windows has no SIGPIPE: a write to a closed pipe fails with an error already.
void IgnoreBrokenPipe() {}

void ForgetStopRequestForTesting() { g_request.store(0); }

}  // namespace platform
