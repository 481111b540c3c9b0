#include "window/conversion_choices.h"

#include <string_view>

#include "convert/timing/title_shift.h"

namespace marvek {
namespace {

// A rate text, or nullopt both for none chosen and for one that cannot be read.
// A rate as typed ("23.976"), or as a film states it, exactly ("24000/1001").
std::optional<FrameRate> RateOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return ParseFrameRate(text);
  const std::string numerator = text.substr(0, slash);
  const std::string denominator = text.substr(slash + 1);
  const auto digits = [](const std::string& s) {
    return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digits(numerator) || !digits(denominator)) return std::nullopt;
  const FrameRate rate{std::stoll(numerator), std::stoll(denominator)};
  return IsUsableFrameRate(rate) ? std::optional<FrameRate>(rate) : std::nullopt;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::optional<ShiftAmount> ParseShift(const TimingChoices& timing) {
  ShiftAmount shift;
  shift.unit = timing.shiftUnit;
  if (timing.shift.empty()) return shift;
  // The field holds a number; its unit is the choice beside it. The core reads it as
  // --shift does, seconds marked with an "s".
  if (timing.shift.find_first_of("sS") != std::string::npos) return std::nullopt;
  const bool seconds = timing.shiftUnit == ShiftUnit::Seconds;
  std::string why;
  const std::optional<TitleShift> read = ParseTitleShift(timing.shift + (seconds ? "s" : ""), why);
  if (!read) return std::nullopt;
  shift.frames = read->frames;
  shift.milliseconds = read->milliseconds;
  return shift;
}

std::optional<FrameRate> DisplayRateOf(const TimingChoices& timing) {
  return RateOf(timing.displayRate);
}

std::optional<FrameRate> FileRateOf(const TimingChoices& timing) {
  return RateOf(timing.fileRate);
}

std::string TimingProblem(const TimingChoices& timing) {
  const char* const rateWords = " is not a number of frames a second above 0 and at most 1000.";
  if (!timing.displayRate.empty() && !DisplayRateOf(timing)) {
    return "The display's frame rate " + Quoted(timing.displayRate) + rateWords;
  }
  if (!timing.fileRate.empty() && !FileRateOf(timing)) {
    return "The file's frame rate " + Quoted(timing.fileRate) + rateWords;
  }
  const bool seconds = timing.shiftUnit == ShiftUnit::Seconds;
  const std::optional<ShiftAmount> shift = ParseShift(timing);
  if (!shift) {
    return "The shift " + Quoted(timing.shift) +
           (seconds ? " is not a number of seconds with at most three decimals, up to 999 hours."
                    : " is not a whole number of frames, up to 2147483647.");
  }
  if (seconds && shift->milliseconds != 0 && timing.displayRate.empty()) {
    return "A shift in seconds needs the display's frame rate.";
  }
  return {};
}

ConversionOptions ConversionOptionsFrom(const ConversionChoices& choices) {
  ConversionOptions options;
  options.repair = choices.repair;
  options.track = choices.filmTrack;
  // The display's frame rate turns the times of SubRip and MPL2 files into frames, and brace
  // files whose own rate is known are retimed to it.
  options.displayRate = DisplayRateOf(choices.timing);
  options.fileRate = FileRateOf(choices.timing);
  // A shift the dialog would not accept is no shift; the dialog keeps such a choice from being
  // made, and settings that hold one are reset when they are read.
  if (const std::optional<ShiftAmount> shift = ParseShift(choices.timing)) {
    const TitleShift asRead{.frames = shift->frames,
                            .milliseconds = shift->milliseconds,
                            .inSeconds = shift->unit == ShiftUnit::Seconds};
    options.shift = ShiftInFrames(asRead, options.displayRate).value_or(0);
  }
  return options;
}

}  // namespace marvek
