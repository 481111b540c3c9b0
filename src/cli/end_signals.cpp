#include "cli/end_signals.h"

#include <signal.h>

#include <csignal>

namespace marvek::cli {
namespace {

volatile std::sig_atomic_t pendingSignal = 0;

void Note(int signal) {
  pendingSignal = signal;
}

}  // namespace

void CatchEndSignals() {
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  // SA_RESTART keeps reads and writes going; the waits for the display wake up all the same.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

int PendingEndSignal() {
  return pendingSignal;
}

}  // namespace marvek::cli
