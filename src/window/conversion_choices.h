#pragma once

#include <string>

#include "command/timing_texts.h"
#include "convert/title_image.h"

namespace marvek {

// The Options > Timing choices: the operator's timing texts, with the shift's unit chosen beside
// its field (Frames or Seconds).
using TimingChoices = TimingTexts;

// Everything the window's Options menu decides about reading a title file.
struct ConversionChoices {
  bool repair = false;  // Options > Repair title files
  TimingChoices timing;
  // The title track of the chosen film, as the operator picked it when the film was opened;
  // empty for its default track. Kept for that file only, never among the settings.
  std::string filmTrack;

  bool operator==(const ConversionChoices&) const = default;
};

// Why `timing` cannot be used, in a sentence for the operator; empty when it can.
std::string TimingProblem(const TimingChoices& timing);

// The options the core converts with, from the window's choices. A choice the dialog would not
// take counts as none; the dialog keeps such a choice from being made, and settings that hold one
// are reset when they are read.
ConversionOptions ConversionOptionsFrom(const ConversionChoices& choices);

}  // namespace marvek
