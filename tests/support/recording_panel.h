#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shared/operator_panel.h"

namespace marvek::testing {

// An OperatorPanel that remembers everything it was asked to do, in order.
class RecordingPanel : public OperatorPanel {
 public:
  enum class Kind { Status, Progress, InputsEnabled, Beep, ProcessEvents };
  struct Event {
    Kind kind;
    std::string text;      // Status
    float percent = 0;     // Progress
    bool enabled = false;  // InputsEnabled
  };

  void AddStatus(const std::string& text) override {
    events.push_back({Kind::Status, text, 0, false});
    statuses.push_back(text);
  }
  void SetProgress(float percent) override {
    events.push_back({Kind::Progress, {}, percent, false});
    progress.push_back(percent);
  }
  void SetInputsEnabled(bool enabled) override {
    events.push_back({Kind::InputsEnabled, {}, 0, enabled});
    inputsEnabled = enabled;
  }
  void Beep() override {
    events.push_back({Kind::Beep, {}, 0, false});
    ++beeps;
  }
  void ProcessEvents() override {
    ++processEventsCalls;
    if (onProcessEvents) onProcessEvents();
  }

  // The status lines with "<beep>" where each beep sounded.
  std::vector<std::string> StatusesAndBeeps() const {
    std::vector<std::string> lines;
    for (const Event& e : events) {
      if (e.kind == Kind::Status) lines.push_back(e.text);
      if (e.kind == Kind::Beep) lines.push_back("<beep>");
    }
    return lines;
  }

  std::vector<Event> events;
  std::vector<std::string> statuses;
  std::vector<float> progress;
  bool inputsEnabled = true;
  int beeps = 0;
  long processEventsCalls = 0;
  std::function<void()> onProcessEvents;
};

}  // namespace marvek::testing
