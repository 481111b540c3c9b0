#pragma once

#include <optional>
#include <string>

#include "convert/timing/frame_rate.h"
#include "convert/timing/title_shift.h"
#include "convert/title_image.h"

namespace marvek {

// What the operator wrote about the titles' times, in the window's Options > Timing... or on the
// command line. Texts rather than numbers, so that a rate shows again as it was typed ("23.976",
// not 23.9759...).
struct TimingTexts {
  std::string displayRate = {};  // the display's frames a second; empty: frames as in the file
  std::string fileRate = {};     // a brace file's own frames a second; empty: its frame-rate line's
  std::string shift = {};        // "-48", "+2.5", "-2.5s" (see shiftUnit); empty: no shift
  ShiftUnit shiftUnit = ShiftUnit::Frames;

  bool operator==(const TimingTexts&) const = default;
};

// Which of the texts a refusal is about; each face names it in its own terms ("--fps", "The
// display's frame rate").
enum class TimingText { DisplayRate, FileRate, Shift };

// Why one of the texts cannot be used. Both faces say the same reason, after their own name of
// the text.
struct TimingRefusal {
  TimingText text = TimingText::DisplayRate;
  std::string reason = {};  // the text quoted, and what it should be
  // A shift in seconds without the display's frame rate: a face may say where to give one.
  bool needsDisplayRate = false;
};

// The options the texts give, and the first text, in the order of TimingTexts, that cannot be
// used. `options` holds what could be read: a rate that cannot be read stays unset and a shift
// that cannot be read or turned into frames is 0.
struct TimedOptions {
  ConversionOptions options = {};
  std::optional<TimingRefusal> refusal = {};
};

// Reads the operator's texts into `options`' display's rate, file's rate and shift, the one way
// both faces do.
TimedOptions WithTimingTexts(const TimingTexts& texts, ConversionOptions options = {});

// The display's frame rate and the file's, each when given and readable.
std::optional<FrameRate> DisplayRateOf(const TimingTexts& texts);
std::optional<FrameRate> FileRateOf(const TimingTexts& texts);

// The shift as written: 0 frames when none is given, nullopt when the text is no shift.
std::optional<TitleShift> ParseShift(const TimingTexts& texts);

}  // namespace marvek
