#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

#include "shared/operator_panel.h"

namespace marvek::cli {

// The operator panel of the command line. Status lines go to `out` (standard error), one a line.
// While an upload runs, a progress line (percent, blocks sent, time left) is redrawn in place on
// a terminal, at most ten times a second. Ctrl-C or SIGTERM (see CatchEndSignals) asks the
// command to stop: it wakes the wait for the display at once.
class TerminalPanel : public OperatorPanel {
 public:
  // `progressLine`: draw the progress line (only sensible on a terminal). `beep`: sound the
  // terminal's bell where the window would beep.
  TerminalPanel(std::FILE* out, bool progressLine, bool beep)
      : out_(out), progressLine_(progressLine), beep_(beep) {}

  void AddStatus(const std::string& text) override;
  void SetProgress(float percent) override;
  void SetInputsEnabled(bool) override {}
  void Beep() override;
  // A terminal has no events of its own: the signals are noted by their handler.
  void ProcessEvents() override {}
  // Sleeps in one poll() on the port and the end signals' wake-up.
  void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) override;
  bool StopRequested() const override;

  // The image is converted and `blocks` blocks are about to be sent.
  void UploadStarting(std::size_t blocks);

  // The progress line for `sent` of `blocks` blocks, `elapsed` into the upload.
  static std::string ProgressLine(std::size_t sent, std::size_t blocks,
                                  std::chrono::steady_clock::duration elapsed);

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRedrawInterval{100};

  void ClearProgressLine();

  std::FILE* out_;
  bool progressLine_;
  bool beep_;
  bool uploading_ = false;
  std::size_t blocks_ = 0;
  Clock::time_point uploadStart_;
  bool shown_ = false;  // a progress line stands on the terminal
  bool drawnOnce_ = false;
  Clock::time_point lastDrawn_;
};

}  // namespace marvek::cli
