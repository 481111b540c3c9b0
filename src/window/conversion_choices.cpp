#include "window/conversion_choices.h"

#include <string_view>

namespace marvek {
namespace {

constexpr long long kLargestShiftMilliseconds = 999LL * 3600 * 1000;  // as far as times go
constexpr int kShiftDecimals = 3;

// A rate text, or nullopt both for none chosen and for one that cannot be read.
std::optional<FrameRate> RateOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return ParseFrameRate(text);
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::optional<ShiftAmount> ParseShift(const TimingChoices& timing) {
  ShiftAmount shift;
  shift.unit = timing.shiftUnit;
  std::string_view text = timing.shift;
  if (text.empty()) return shift;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Whole frames, or seconds counted in thousandths: both exact, neither a floating point guess.
  const bool seconds = timing.shiftUnit == ShiftUnit::Seconds;
  const long long limit = seconds ? kLargestShiftMilliseconds : kLargestFrameNumber;
  long long value = 0;
  int decimals = -1;  // -1: no point seen
  bool digits = false;
  for (const char c : text) {
    if (c == '.' && seconds && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    if (decimals >= 0 && ++decimals > kShiftDecimals) return std::nullopt;
    digits = true;
    value = value * 10 + (c - '0');
    if (value > limit * (seconds ? 1000 : 1)) return std::nullopt;
  }
  if (!digits) return std::nullopt;
  if (seconds) {
    for (int d = decimals < 0 ? 0 : decimals; d < kShiftDecimals; ++d) value *= 10;
    if (value > limit) return std::nullopt;
  }
  if (negative) value = -value;
  (seconds ? shift.milliseconds : shift.frames) = value;
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
  // The display's frame rate turns the times of a SubRip file into frames.
  options.subRipRate = DisplayRateOf(choices.timing);
  // Still to reach the core, once it takes them: choices.repair, the file's frame rate
  // (FileRateOf) and the shift (ParseShift; seconds become frames at the display's rate).
  return options;
}

}  // namespace marvek
