#include "convert/sources/event_titles.h"

#include <algorithm>

#include "convert/records/line_problems.h"
#include "convert/records/record_builder.h"
#include "convert/timing/title_timing.h"
#include "shared/block_size.h"

namespace marvek {
namespace {

__extension__ typedef __int128 Wide;

// Frames stay well inside 64 bits, so that the shift and the display's clock never wrap; a
// title this far out is refused as too long to repeat long before.
constexpr Wide kFarthestFrame = static_cast<Wide>(1) << 53;

// a ÷ b rounded down, also for a negative a.
Wide FloorDivide(Wide a, Wide b) {
  Wide quotient = a / b;
  if (a % b != 0 && (a < 0) != (b < 0)) --quotient;
  return quotient;
}

// -1, 0 or 1 as `a` is before, at or after `b`, compared exactly.
int Compare(const SourceTime& a, const SourceTime& b) {
  const Wide left = static_cast<Wide>(a.count) * b.perSecond;
  const Wide right = static_cast<Wide>(b.count) * a.perSecond;
  return left < right ? -1 : left > right ? 1 : 0;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// `text` with each line trimmed of spaces and tabs at its ends and the lines left empty dropped.
std::string CleanText(std::string_view text) {
  std::string clean;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t bar = std::min(text.find('|', from), text.size());
    std::string_view line = text.substr(from, bar - from);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (!line.empty()) {
      if (!clean.empty()) clean.push_back('|');
      clean.append(line);
    }
    from = bar + 1;
  }
  return clean;
}

// "3 drawings", "1 comment".
std::string Counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

ConversionResult Refused(ConversionResult result, LineFault fault, std::string reason) {
  result.outcome = ConversionOutcome::Incorrect;
  result.fault = fault;
  result.reason = std::move(reason);
  return result;
}

// Hands `titles` to the record builder at `rate` and completes `result` as ConvertLines does for
// a SubRip file: the first refusal, what repair did, and progress after every title.
void AddTitles(const std::vector<EventTitle>& titles, const FrameRate& rate, CharMode mode,
               const ConversionOptions& options, OperatorPanel& panel, ConversionResult& result) {
  ProblemLog log(options.collectProblems);
  std::size_t expected = kBlockSize;
  for (const EventTitle& title : titles) expected += title.text.size() + 5;
  RecordBuilder builder(mode, TextEncoding::Utf8, result.image, expected,
                        {.repair = options.repair, .collect = options.collectProblems}, log);
  TitleTiming timing =
      StartTiming(TitleLayout::Timed, rate, std::nullopt, options.shift, result.timing);
  if (timing.active()) builder.SetTiming(&timing);
  if (options.keepRecordSources) builder.KeepSources(&result.recordSources);
  std::string why;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    const EventTitle& title = titles[i];
    const LineFault fault = builder.AddTitle(FrameOf(title.start, rate), FrameOf(title.end, rate),
                                             title.text, title.line, why);
    if (fault != LineFault::None && result.outcome != ConversionOutcome::Incorrect) {
      result = Refused(std::move(result), fault, why);
      result.lineNumber = title.line;
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

}  // namespace

std::int64_t FrameOf(const SourceTime& time, const FrameRate& rate) {
  // floor(count ÷ perSecond × rate + 1/2), in whole numbers: halves round up, exactly.
  const Wide per = static_cast<Wide>(2) * time.perSecond * rate.denominator;
  if (per <= 0) return 0;
  const Wide twice = static_cast<Wide>(2) * time.count * rate.numerator +
                     static_cast<Wide>(time.perSecond) * rate.denominator;
  Wide frame = std::clamp(FloorDivide(twice, per), -kFarthestFrame, kFarthestFrame);
  if (time.count < 0) frame = std::min<Wide>(frame, -1);
  return static_cast<std::int64_t>(frame);
}

std::vector<EventTitle> TitlesOfEvents(const std::vector<TimedEvent>& events) {
  std::vector<EventTitle> kept;
  kept.reserve(events.size());
  for (const TimedEvent& event : events) {
    std::string text = CleanText(event.text);
    if (!text.empty()) kept.push_back({event.start, event.end, std::move(text), event.line});
  }
  std::stable_sort(kept.begin(), kept.end(), [](const EventTitle& a, const EventTitle& b) {
    return Compare(a.start, b.start) < 0;
  });
  std::vector<EventTitle> titles;
  titles.reserve(kept.size());
  // Among the events of one start, each joins the first before it with the same end.
  std::size_t groupStart = 0;
  for (EventTitle& event : kept) {
    if (titles.empty() || Compare(titles.back().start, event.start) != 0)
      groupStart = titles.size();
    const auto same =
        std::find_if(titles.begin() + static_cast<std::ptrdiff_t>(groupStart), titles.end(),
                     [&](const EventTitle& title) { return Compare(title.end, event.end) == 0; });
    if (same == titles.end()) {
      titles.push_back(std::move(event));
    } else {
      same->text += '|' + event.text;
    }
  }
  return titles;
}

std::string NeedsRateReason(std::string_view formatName) {
  // "an ASS file", "a DCP subtitle file": a name read letter by letter (two capital consonants
  // at its start, as SSA or MPsub) takes "an" before F, H, L, M, N, R, S and X; "a SAMI file" is
  // read as a word.
  const auto among = [&](std::size_t at, std::string_view letters) {
    return formatName.size() > at && letters.find(formatName[at]) != std::string_view::npos;
  };
  const bool vowel = among(0, "AEIOUaeiou");
  const bool spelledVowel = among(0, "FHLMNRSX") && among(1, "BCDFGHJKLMNPQRSTVWXZ");
  return std::string("this is ") + (vowel || spelledVowel ? "an " : "a ") +
         std::string(formatName) + " file, whose times need the display's frame rate";
}

std::string NoTitleReason(const LeftOutEvents& leftOut) {
  std::vector<std::string> parts;
  if (leftOut.drawings > 0) parts.push_back(Counted(leftOut.drawings, "drawing", "drawings"));
  if (leftOut.comments > 0) parts.push_back(Counted(leftOut.comments, "comment", "comments"));
  if (leftOut.unreadableCues > 0) {
    parts.push_back(Counted(leftOut.unreadableCues, "cue whose timing cannot be read",
                            "cues whose timing cannot be read"));
  }
  if (leftOut.pictures > 0) {
    parts.push_back(
        Counted(leftOut.pictures, "title that is a picture", "titles that are pictures"));
  }
  std::string reason = "no title in the file";
  if (parts.size() == 1 && leftOut.pictures > 0)
    return reason + ": its titles are pictures, not text";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    reason += (i == 0 ? "; left out: " : ", ") + parts[i];
  }
  return reason;
}

ConversionResult ConvertTimedSource(const TimedSource& source, CharMode mode, OperatorPanel& panel,
                                    const ConversionOptions& options) {
  ConversionResult result;
  result.encoding = TextEncoding::Utf8;
  result.sourceFormat = source.formatName;
  result.reels = source.reels;
  result.timing.layout = TitleLayout::Timed;
  std::optional<FrameRate> rate;
  if (options.displayRate && IsUsableFrameRate(*options.displayRate)) {
    rate = options.displayRate;
  } else if (source.frameRate && IsUsableFrameRate(*source.frameRate)) {
    rate = source.frameRate;
    result.rateFrom = source.rateOrigin;
  } else {
    return Refused(std::move(result), LineFault::TimesWithoutRate,
                   NeedsRateReason(source.formatName));
  }
  const std::vector<EventTitle> titles = TitlesOfEvents(source.events);
  if (titles.empty()) {
    return Refused(std::move(result), LineFault::NoTitle, NoTitleReason(source.leftOut));
  }
  AddTitles(titles, *rate, mode, options, panel, result);
  return result;
}

}  // namespace marvek
