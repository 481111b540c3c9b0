#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "shared/operator_panel.h"

namespace marvek::testing {

// An OperatorPanel that remembers everything it was asked to do, in order.
class RecordingPanel : public OperatorPanel {
 public:
  enum class Kind { Status, Progress, InputsEnabled, Beep };
  struct Event {
    Kind kind = Kind::Status;
    std::string text;      // Status
    float percent = 0;     // Progress
    bool enabled = false;  // InputsEnabled
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
  };

  void AddStatus(const std::string& text) override {
    Record(Kind::Status).text = text;
    statuses.push_back(text);
  }
  void SetProgress(float percent) override {
    Record(Kind::Progress).percent = percent;
    progress.push_back(percent);
  }
  void SetInputsEnabled(bool enabled) override {
    Record(Kind::InputsEnabled).enabled = enabled;
    inputsEnabled = enabled;
  }
  void Beep() override {
    Record(Kind::Beep);
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

  // When the status line `text` was added; the epoch when it never was.
  std::chrono::steady_clock::time_point TimeOf(const std::string& text) const {
    for (const Event& e : events) {
      if (e.kind == Kind::Status && e.text == text) return e.at;
    }
    return {};
  }

  std::vector<Event> events;
  std::vector<std::string> statuses;
  std::vector<float> progress;
  bool inputsEnabled = true;
  int beeps = 0;
  long processEventsCalls = 0;
  std::function<void()> onProcessEvents;

 private:
  Event& Record(Kind kind) {
    events.emplace_back();
    events.back().kind = kind;
    return events.back();
  }
};

}  // namespace marvek::testing
