#pragma once

namespace marvek::cli {

// Ctrl-C (SIGINT) and SIGTERM are only noted when they arrive, and they wake EndSignalWakeUp();
// the command then stops at its next wait, says what it stopped and gives the port back. A
// second one ends the program at once, in case it never gets there.
void CatchEndSignals();

// The signal that asked the program to end, or 0 when none has.
int PendingEndSignal();

// A descriptor that becomes readable when an end signal arrives, for a wait that watches it
// together with the port; -1 before CatchEndSignals.
int EndSignalWakeUp();

// The exit code of a program ended by `signal`: 128 plus its number, as a shell reports it.
inline int ExitCodeFor(int signal) {
  return 128 + signal;
}

}  // namespace marvek::cli
