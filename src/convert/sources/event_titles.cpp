#include "convert/sources/event_titles.h"

#include <algorithm>

#include "convert/records/record_builder.h"
#include "convert/timing/title_timing.h"

namespace marvek {
namespace {

__extension__ typedef __int128 Wide;

// `a` before `b`: compared exactly, whatever units each counts in.
bool Earlier(const SourceTime& a, const SourceTime& b) {
  return static_cast<Wide>(a.count) * b.perSecond < static_cast<Wide>(b.count) * a.perSecond;
}

bool SameTime(const SourceTime& a, const SourceTime& b) {
  return static_cast<Wide>(a.count) * b.perSecond == static_cast<Wide>(b.count) * a.perSecond;
}

// The text with every line trimmed of spaces and tabs at its ends and empty lines dropped.
std::string CleanText(std::string_view text) {
  std::string clean;
  for (std::size_t from = 0; from <= text.size();) {
    std::size_t to = text.find('|', from);
    if (to == std::string_view::npos) to = text.size();
    std::string_view line = text.substr(from, to - from);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
      if (!clean.empty()) clean += '|';
      clean += line;
    }
    from = to + 1;
  }
  return clean;
}

// "2 drawings" or "1 drawing"; empty for none.
void AddCount(std::string& list, std::size_t n, const char* one, const char* many) {
  if (n == 0) return;
  if (!list.empty()) list += ", ";
  list += std::to_string(n) + " " + (n == 1 ? one : many);
}

// The display's frame rate for the source's times: the operator's, else the source's own.
std::optional<FrameRate> DisplayRateFor(const TimedSource& source, const ConversionOptions& options,
                                        ConversionResult& result) {
  if (options.displayRate && IsUsableFrameRate(*options.displayRate)) return options.displayRate;
  if (source.frameRate && IsUsableFrameRate(*source.frameRate)) {
    result.timing.displayRateFrom = source.rateOrigin;
    return source.frameRate;
  }
  return std::nullopt;
}

void Refuse(ConversionResult& result, std::string reason, LineFault fault) {
  result.outcome = ConversionOutcome::Incorrect;
  result.lineNumber = 0;  // the whole file, not one of its lines
  result.fault = fault;
  result.reason = std::move(reason);
}

}  // namespace

std::int64_t FrameOf(const SourceTime& time, const FrameRate& rate) {
  // floor((count × numerator ÷ (perSecond × denominator)) + ½), exactly.
  const Wide scaled = static_cast<Wide>(time.count) * rate.numerator * 2 +
                      static_cast<Wide>(time.perSecond) * rate.denominator;
  const Wide divisor = static_cast<Wide>(time.perSecond) * rate.denominator * 2;
  Wide frame = scaled / divisor;
  if (scaled % divisor != 0 && scaled < 0) --frame;
  const Wide limit = kLargestFrameNumber;
  return static_cast<std::int64_t>(std::clamp(frame, -limit, limit));
}

std::vector<TimedEvent> TitleEvents(std::vector<TimedEvent> events) {
  std::vector<TimedEvent> kept;
  kept.reserve(events.size());
  for (TimedEvent& event : events) {
    event.text = CleanText(event.text);
    if (!event.text.empty()) kept.push_back(std::move(event));
  }
  std::stable_sort(kept.begin(), kept.end(), [](const TimedEvent& a, const TimedEvent& b) {
    return Earlier(a.start, b.start);
  });
  std::vector<TimedEvent> titles;
  titles.reserve(kept.size());
  for (TimedEvent& event : kept) {
    // Another event of the same start and end may sit further on among equal starts.
    auto same = std::find_if(titles.rbegin(), titles.rend(), [&](const TimedEvent& title) {
      return !SameTime(title.start, event.start) || SameTime(title.end, event.end);
    });
    if (same != titles.rend() && SameTime(same->start, event.start)) {
      same->text += '|' + event.text;
    } else {
      titles.push_back(std::move(event));
    }
  }
  return titles;
}

std::string NoTitleReason(const LeftOutEvents& leftOut) {
  std::string list;
  AddCount(list, leftOut.drawings, "drawing", "drawings");
  AddCount(list, leftOut.comments, "comment", "comments");
  AddCount(list, leftOut.unreadableCues, "cue whose timing cannot be read",
           "cues whose timing cannot be read");
  AddCount(list, leftOut.pictures, "picture", "pictures");
  return list.empty() ? "no title in the file" : "no title in the file (left out: " + list + ")";
}

void ConvertTimedSource(TimedSource source, CharMode mode, const ConversionOptions& options,
                        OperatorPanel& panel, ConversionResult& result) {
  result.timing.layout = TitleLayout::SubRip;
  const std::optional<FrameRate> rate = DisplayRateFor(source, options, result);
  if (!rate) {
    return Refuse(result,
                  "this is " + source.formatName + ", whose times need the display's frame rate",
                  LineFault::SubRipWithoutRate);
  }
  const std::vector<TimedEvent> titles = TitleEvents(std::move(source.events));
  if (titles.empty()) return Refuse(result, NoTitleReason(source.leftOut), LineFault::NoTitle);
  ProblemLog log(options.collectProblems);
  RecordBuilder builder(mode, TextEncoding::Utf8, result.image, titles.size() * 64 + kBlockSize,
                        {.repair = options.repair, .collect = options.collectProblems}, log);
  const std::string rateFrom = std::move(result.timing.displayRateFrom);
  TitleTiming timing =
      StartTiming(TitleLayout::SubRip, rate, std::nullopt, options.shift, result.timing);
  result.timing.displayRateFrom = rateFrom;
  result.timing.sourceFormat = source.formatName;
  if (timing.active()) builder.SetTiming(&timing);
  if (options.keepRecordSources) builder.KeepSources(&result.recordSources);
  std::string why;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    const TimedEvent& title = titles[i];
    const LineFault fault = builder.AddTitle(FrameOf(title.start, *rate), FrameOf(title.end, *rate),
                                             title.text, title.line, why);
    if (fault != LineFault::None && result.outcome != ConversionOutcome::Incorrect) {
      result.outcome = ConversionOutcome::Incorrect;
      result.lineNumber = title.line;
      result.fault = fault;
      result.reason = why;
      result.repairable = true;
      if (!options.collectProblems) break;
    }
    panel.SetProgress(static_cast<float>(100.0 * static_cast<double>(i + 1) /
                                         static_cast<double>(titles.size())));
    if (panel.StopRequested()) {
      result.outcome = ConversionOutcome::Cancelled;
      ByteString().swap(result.image);
      return;
    }
  }
  builder.Finish();
  FinishTiming(timing, result.timing);
  result.cyrillicInLatin = builder.wroteCyrillic();
  result.lettersSimplified = builder.simplifiedLetters();
  if (options.repair || options.collectProblems) result.repairs = log.report;
  result.problems = std::move(log.problems);
  if (result.outcome == ConversionOutcome::Incorrect) {
    ByteString().swap(result.image);
    std::vector<RecordSource>().swap(result.recordSources);
  }
}

}  // namespace marvek
