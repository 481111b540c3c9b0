#pragma once

#include <string>

#include "shared/operator_panel.h"

namespace marvek {

// A panel that reports nothing: for a conversion done for a look (the titles view) or for its
// cost alone (the benchmarks), which leaves the status list and the progress bar alone.
struct QuietPanel : OperatorPanel {
  void AddStatus(const std::string&) override {}
  void SetProgress(float) override {}
  void SetInputsEnabled(bool) override {}
  void Beep() override {}
  void ProcessEvents() override {}
};

}  // namespace marvek
