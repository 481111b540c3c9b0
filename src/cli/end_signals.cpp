#include "cli/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace marvek::cli {
namespace {

volatile std::sig_atomic_t pendingSignal = 0;
// The self-pipe: the handler writes a byte to wakeUp[1], a wait polls wakeUp[0].
int wakeUp[2] = {-1, -1};

void Note(int signal) {
  const int savedErrno = errno;
  pendingSignal = signal;
  // Non-blocking: once a byte is in, more add nothing, and the handler never waits.
  [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], "", 1);
  errno = savedErrno;
}

}  // namespace

void CatchEndSignals() {
  if (wakeUp[0] < 0 && ::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) {
    wakeUp[0] = wakeUp[1] = -1;  // the waits then wake at their limits only
  }
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  // SA_RESTART keeps reads and writes going; the waits for the display wake through the pipe.
  // SA_RESETHAND lets a second signal end the program the default way.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

int PendingEndSignal() {
  return pendingSignal;
}

int EndSignalWakeUp() {
  return wakeUp[0];
}

}  // namespace marvek::cli
