#include "window/titles_view.h"

#include <utility>

#include "command/status_messages.h"
#include "display/image_decoder.h"
#include "window/window_hints.h"

namespace marvek {
namespace {

std::string ReadingLine(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return status::kReadAsUtf8;
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
      return status::kReadAsUtf16;
    case TextEncoding::Iso8859_2:
      return status::kReadAsIso8859_2;
    case TextEncoding::Windows1251:
      return status::kReadAsWindows1251;
    case TextEncoding::Windows1250:
      break;
  }
  return "Title file read as Windows-1250.";
}

// What the choices did to the titles. The conversion does not report it yet, so this says what
// was asked for.
std::vector<std::string> AdjustmentLines(const ConversionChoices& choices) {
  std::vector<std::string> lines;
  lines.push_back(choices.repair ? "Repair title files: on." : "Repair title files: off.");
  const TimingChoices& timing = choices.timing;
  lines.push_back(timing.displayRate.empty()
                      ? "Display's frame rate: frames as in the file."
                      : "Display's frame rate: " + timing.displayRate + " frames a second.");
  if (!timing.fileRate.empty()) {
    lines.push_back("File's frame rate: " + timing.fileRate + " frames a second.");
  }
  if (const auto shift = ParseShift(timing); shift && (shift->frames || shift->milliseconds)) {
    lines.push_back("Shift: " + timing.shift +
                    (timing.shiftUnit == ShiftUnit::Seconds ? " seconds." : " frames."));
  }
  return lines;
}

}  // namespace

std::string TitlesView::DisplayedText(std::size_t title) const {
  const ImageRecord& record = titles[title];
  return DisplayText(std::string_view(image).substr(record.textOffset, record.textLength));
}

std::vector<std::string> RefusalLines(const std::string& path, const ConversionResult& result) {
  if (result.outcome == ConversionOutcome::Unreadable) {
    return {path + status::kCannotBeRead + result.reason};
  }
  std::vector<std::string> lines{path + status::kIncorrect};
  // The reason names its line ("Line 7: ...").
  if (!result.reason.empty()) lines.push_back(result.reason);
  if (result.fault == LineFault::SubRipWithoutRate) {
    lines.push_back(window_hint::kSetDisplayRate);
  }
  // Once the conversion says whether repair would mend the refused line:
  //   if (result.repairWouldMend) lines.push_back(window_hint::kRepairMends);
  return lines;
}

void TakeTitleFacts(const ConversionResult& result, TitlesView& view) {
  // The conversion does not tell yet where each record came from or what became of it; the rows
  // show no source line and no note until it does. When it does, fill view.sourceLines and
  // view.notes here, one entry a title of view.titles, in the same order.
  (void)result;
  (void)view;
}

TitlesView NothingToShow(std::vector<std::string> why) {
  TitlesView view;
  view.outcome = ConversionOutcome::Unreadable;
  view.refusal = std::move(why);
  return view;
}

TitlesView ViewTitles(const std::string& path, CharMode mode, const ConversionChoices& choices,
                      OperatorPanel& panel) {
  TitlesView view;
  view.path = path;
  view.displayRate = DisplayRateOf(choices.timing);
  ConversionResult result = ConvertTitleFile(path, mode, panel, ConversionOptionsFrom(choices));
  view.outcome = result.outcome;
  if (result.outcome != ConversionOutcome::Converted) {
    view.refusal = RefusalLines(path, result);
    return view;
  }
  view.reading.push_back(ReadingLine(result.encoding));
  if (result.cyrillicInLatin) view.reading.push_back(status::kCyrillicInLatin);
  view.adjustments = AdjustmentLines(choices);

  view.image = std::move(result.image);
  PadTitleImage(view.image);
  view.titles = IndexTitleImage(view.image);
  TakeTitleFacts(result, view);
  return view;
}

}  // namespace marvek
