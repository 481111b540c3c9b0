#pragma once

#include <string>

namespace marvek {

// What the conversion, the upload and the Convert/Upload command need of the window.
// The window implements it; tests implement it with a recorder.
class OperatorPanel {
 public:
  virtual ~OperatorPanel() = default;

  // Adds a line at the end of the status list.
  virtual void AddStatus(const std::string& text) = 0;
  // Sets the progress bar (0..100, unrounded) and shows it at once, even while the caller does
  // not hand control back to the window.
  virtual void SetProgress(float percent) = 0;
  // Enables or disables the command's inputs: the button, both mode options, speed and port.
  virtual void SetInputsEnabled(bool enabled) = 0;
  // Sounds the system's default beep.
  virtual void Beep() = 0;
  // Lets the window handle its pending events and returns.
  virtual void ProcessEvents() = 0;
};

}  // namespace marvek
