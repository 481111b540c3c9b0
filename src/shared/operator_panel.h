#pragma once

#include <chrono>
#include <string>

namespace marvek {

// What the conversion, the upload and the Convert/Upload command need of the face that runs
// them: the window, or the command line. Tests implement it with a recorder.
class OperatorPanel {
 public:
  virtual ~OperatorPanel() = default;

  // Adds a line at the end of the status list.
  virtual void AddStatus(const std::string& text) = 0;
  // Sets the progress bar (0..100, unrounded) and shows it at once, even while the caller does
  // not hand control back to the face.
  virtual void SetProgress(float percent) = 0;
  // Enables or disables the command's inputs: the button, both mode options, speed and port.
  virtual void SetInputsEnabled(bool enabled) = 0;
  // Sounds the system's default beep.
  virtual void Beep() = 0;
  // Lets the face handle its pending events and returns.
  virtual void ProcessEvents() = 0;

  // Handles the face's events while it waits until `descriptor` has bytes to read (or has
  // failed), `limit` has passed, or the operator asks to stop, whichever comes first; it may
  // also return sooner. A descriptor below 0 waits for the limit and a stop alone. The default
  // handles the pending events once and then sleeps on the descriptor for a few milliseconds at
  // most, so that a face that knows only ProcessEvents stays usable; a face that can block on
  // its events and the descriptor together waits at no cost.
  virtual void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit);

  // Whether the operator has asked to stop the command (the window closed, Ctrl-C). The command
  // then ends at its next wait, through its usual paths: the port closed, the inputs enabled.
  virtual bool StopRequested() const { return false; }
};

}  // namespace marvek
