#pragma once

namespace marvek::cli {

// Ctrl-C (SIGINT) and SIGTERM are only noted when they arrive; the program looks for them at its
// next turn, where it can say what it stopped and give the port back first. A second one ends
// the program at once, in case it never gets to look.
void CatchEndSignals();

// The signal that asked the program to end, or 0 when none has.
int PendingEndSignal();

// The exit code of a program ended by `signal`: 128 plus its number, as a shell reports it.
inline int ExitCodeFor(int signal) {
  return 128 + signal;
}

}  // namespace marvek::cli
