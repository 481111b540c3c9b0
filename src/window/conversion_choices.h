#pragma once

#include <optional>
#include <string>

#include "convert/timing/frame_rate.h"
#include "convert/title_image.h"

namespace marvek {

// How far the titles are moved: a whole number of frames, or seconds that the display's frame
// rate turns into frames.
enum class ShiftUnit { Frames, Seconds };

// The Options > Timing choices, as the operator wrote them. Texts rather than numbers, so that a
// rate shows again as it was typed ("23.976", not 23.9759...).
struct TimingChoices {
  std::string displayRate;  // frames a second of the display; empty: frames as in the file
  std::string fileRate;     // the file's frames a second; empty: from its frame-rate line
  std::string shift;        // "-48", "+2.5"; empty means 0
  ShiftUnit shiftUnit = ShiftUnit::Frames;

  bool operator==(const TimingChoices&) const = default;
};

// Everything the window's Options menu decides about reading a title file.
struct ConversionChoices {
  bool repair = false;  // Options > Repair title files
  TimingChoices timing;
  // The title track of the chosen film, as the operator picked it when the film was opened;
  // empty for its default track. Kept for that file only, never among the settings.
  std::string filmTrack;

  bool operator==(const ConversionChoices&) const = default;
};

// A shift read from its text: frames, or thousandths of a second, with their sign.
struct ShiftAmount {
  ShiftUnit unit = ShiftUnit::Frames;
  long long frames = 0;        // when unit is Frames
  long long milliseconds = 0;  // when unit is Seconds
};

// The shift of `timing`, or nullopt when its text is not a whole number of frames (with an
// optional sign) or seconds with at most three decimals, or lies beyond the largest frame number or
// 999 hours.
std::optional<ShiftAmount> ParseShift(const TimingChoices& timing);

// The display's frame rate, when one is chosen and can be read.
std::optional<FrameRate> DisplayRateOf(const TimingChoices& timing);
// The file's frame rate the operator chose, when one is chosen and can be read.
std::optional<FrameRate> FileRateOf(const TimingChoices& timing);

// Why `timing` cannot be used, in a sentence for the operator; empty when it can.
std::string TimingProblem(const TimingChoices& timing);

// The options the core converts with, from the window's choices.
ConversionOptions ConversionOptionsFrom(const ConversionChoices& choices);

}  // namespace marvek
