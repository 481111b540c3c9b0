#include "window/titles_view.h"

#include <utility>

#include "command/status_messages.h"
#include "display/image_decoder.h"
#include "window/window_hints.h"

namespace marvek {

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
  view.reading = ConvertedLines(result, options);
  view.timing = result.timing;
  view.image = std::move(result.image);
  PadTitleImage(view.image);
  view.titles = IndexTitleImage(view.image);
  // One source a record, in the order of the image; anything else is not to be trusted.
  if (result.recordSources.size() == view.titles.size()) {
    view.sources = std::move(result.recordSources);
  }
  return view;
}

}  // namespace marvek
