#include "window/conversion_choices.h"

namespace marvek {
namespace {

// The dialog's name of each field, which starts its sentence.
const char* FieldName(TimingText text) {
  switch (text) {
    case TimingText::DisplayRate:
      return "Display's frame rate";
    case TimingText::FileRate:
      return "File's frame rate";
    case TimingText::Shift:
      break;
  }
  return "Shift";
}

}  // namespace

std::string TimingProblem(const TimingChoices& timing) {
  const std::optional<TimingRefusal> refusal = WithTimingTexts(timing).refusal;
  if (!refusal) return {};
  return std::string(FieldName(refusal->text)) + ": " + refusal->reason + ".";
}

ConversionOptions ConversionOptionsFrom(const ConversionChoices& choices) {
  ConversionOptions options = WithTimingTexts(choices.timing, {.repair = choices.repair}).options;
  options.track = choices.filmTrack;
  return options;
}

}  // namespace marvek
