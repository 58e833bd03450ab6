#include "platform/stop_signals.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> g_request{0};
int g_depth = 0;
struct sigaction g_previous[3];

void Record(int signal_number) {
  int none = 0;
  g_request.compare_exchange_strong(none, signal_number);
}

}  // namespace

void BeginStopRequests() {
  if (g_depth++ > 0) return;
  struct sigaction action = {};
  action.sa_handler = Record;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) {
    sigaction(kSignals[i], nullptr, &g_previous[i]);
    // Ignored when the program started (nohup, a background job of a script): it stays ignored.
    if (g_previous[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
  }
}

void EndStopRequests() {
  if (g_depth == 0 || --g_depth > 0) return;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

int StopRequest() { return g_request.load(); }

void IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }

void ForgetStopRequestForTesting() { g_request.store(0); }

}  // namespace platform
