#include "platform/StopRequests.h"

#include <csignal>

namespace platform {
namespace {

// Written by the signal handler: lock-free, so setting it is safe there.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
  stopRequested = 1;
}

}  // namespace

void CatchStopRequests() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Reads and writes under way go on as if nothing happened; waits for events come back
  // on their own often enough to see the request.
  action.sa_flags = SA_RESTART;
  const int stops[] = {SIGTERM, SIGINT};
  for (int stop : stops) {
    struct sigaction before = {};
    // Whoever started the program ignoring it (a background job's SIGINT) keeps it so.
    if (sigaction(stop, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(stop, &action, nullptr);
  }
}

bool TakeStopRequest() {
  if (!stopRequested) return false;
  stopRequested = 0;
  return true;
}

}  // namespace platform
