#include "command/timing_texts.h"

#include "convert/encoding/line_excerpt.h"

namespace marvek {
namespace {

// A rate text, or nullopt both for none given and for one that cannot be read.
std::optional<FrameRate> RateOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return ParseFrameRate(text);
}

std::optional<TimingRefusal> RateRefusal(TimingText which, const std::string& text) {
  if (text.empty() || RateOf(text)) return std::nullopt;
  return TimingRefusal{.text = which,
                       .reason = QuotedField(text) +
                                 " is no frame rate; give frames a second above 0 and at most "
                                 "1000, such as 25 or 23.976"};
}

// The shift of `texts` in frames into `options`, or why it cannot be used.
std::optional<TimingRefusal> ReadShift(const TimingTexts& texts, ConversionOptions& options) {
  if (texts.shift.empty()) return std::nullopt;
  std::string why;
  const std::optional<TitleShift> shift = ParseTitleShift(texts.shift, why, texts.shiftUnit);
  if (!shift) return TimingRefusal{.text = TimingText::Shift, .reason = why};
  // No shift needs no rate, however it is written.
  if (shift->inSeconds && shift->milliseconds == 0) return std::nullopt;
  const std::optional<std::int64_t> frames = ShiftInFrames(*shift, options.displayRate);
  if (!frames) {
    return TimingRefusal{
        .text = TimingText::Shift, .reason = kShiftNeedsDisplayRate, .needsDisplayRate = true};
  }
  options.shift = *frames;
  return std::nullopt;
}

}  // namespace

TimedOptions WithTimingTexts(const TimingTexts& texts, ConversionOptions options) {
  // The display's frame rate turns the times of SubRip and MPL2 files into frames, and brace
  // files whose own rate is known are retimed to it.
  options.displayRate = DisplayRateOf(texts);
  options.fileRate = FileRateOf(texts);
  options.shift = 0;
  std::optional<TimingRefusal> refusal = RateRefusal(TimingText::DisplayRate, texts.displayRate);
  if (!refusal) refusal = RateRefusal(TimingText::FileRate, texts.fileRate);
  // Read even after a refused rate, so that the options hold every text that can be used.
  std::optional<TimingRefusal> shiftRefusal = ReadShift(texts, options);
  if (!refusal) refusal = std::move(shiftRefusal);
  return {.options = std::move(options), .refusal = std::move(refusal)};
}

std::optional<FrameRate> DisplayRateOf(const TimingTexts& texts) {
  return RateOf(texts.displayRate);
}

std::optional<FrameRate> FileRateOf(const TimingTexts& texts) {
  return RateOf(texts.fileRate);
}

std::optional<TitleShift> ParseShift(const TimingTexts& texts) {
  if (texts.shift.empty()) return TitleShift{.inSeconds = texts.shiftUnit == ShiftUnit::Seconds};
  std::string why;
  return ParseTitleShift(texts.shift, why, texts.shiftUnit);
}

}  // namespace marvek
