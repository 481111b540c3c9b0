#include "window/titles_view.h"

#include <utility>

#include "command/status_messages.h"
#include "display/image_decoder.h"
#include "window/window_hints.h"

namespace marvek {
namespace {

// The encoding a file was read in, Windows-1250 too: the dialog always says how it read the file.
std::string ReadingLine(TextEncoding encoding) {
  const char* readAs = ReadAsStatus(encoding);
  return readAs != nullptr ? readAs : "Title file read as Windows-1250.";
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
  for (std::string& line : RefusalLines(result, window_hint::WindowHints())) {
    lines.push_back(std::move(line));
  }
  return lines;
}

void TakeTitleFacts(const ConversionResult& result, TitlesView& view) {
  // One source a record, in the order of the image.
  if (result.recordSources.size() != view.titles.size()) return;
  view.sourceLines.reserve(result.recordSources.size());
  view.notes.reserve(result.recordSources.size());
  for (const RecordSource& source : result.recordSources) {
    view.sourceLines.push_back(source.line);
    TitleNote note = TitleNote::None;
    if (source.Has(RecordSource::kWaited)) note = note | TitleNote::WaitedForOverlap;
    if (source.Has(RecordSource::kShortened)) note = note | TitleNote::Shortened;
    if (source.Has(RecordSource::kMended)) note = note | TitleNote::Mended;
    if (source.Has(RecordSource::kBridge)) note = note | TitleNote::SplitOverGap;
    if (source.Has(RecordSource::kContinued)) note = note | TitleNote::Continued;
    view.notes.push_back(note);
  }
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
  ConversionOptions options = ConversionOptionsFrom(choices);
  options.keepRecordSources = true;
  ConversionResult result = ConvertTitleFile(path, mode, panel, options);
  view.outcome = result.outcome;
  if (result.outcome != ConversionOutcome::Converted) {
    view.refusal = RefusalLines(path, result);
    return view;
  }
  // The command's lines after "File successfull converted.", with the encoding named always.
  view.reading.push_back(ReadingLine(result.encoding));
  for (std::string& line : ConvertedLines(result, options)) {
    if (line != view.reading.front()) view.reading.push_back(std::move(line));
  }
  view.adjustments = AdjustmentLines(choices);

  view.image = std::move(result.image);
  PadTitleImage(view.image);
  view.titles = IndexTitleImage(view.image);
  TakeTitleFacts(result, view);
  return view;
}

}  // namespace marvek
