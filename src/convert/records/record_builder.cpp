#include "convert/records/record_builder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "convert/char_mode.h"
#include "convert/encoding/line_excerpt.h"
#include "convert/layouts/title_text.h"
#include "convert/timing/title_timing.h"
#include "convert/title_line.h"

namespace marvek {
namespace {

enum class FieldError { None, NotNumber, TooLarge };

struct FrameField {
  std::int64_t value = 0;  // negative for a field with a minus sign
  FieldError error = FieldError::None;
};

// Decimal digits, after an optional minus sign, with optional spaces or tabs around them.
FrameField ReadFrameNumber(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  const bool negative = !field.empty() && field.front() == '-';
  if (negative) field.remove_prefix(1);
  if (field.empty()) return {0, FieldError::NotNumber};
  FrameField result;
  for (const char c : field) {
    if (c < '0' || c > '9') return {0, FieldError::NotNumber};
    if (result.error == FieldError::None) {
      result.value = result.value * 10 + (c - '0');
      if (result.value > kLargestFrameNumber) result.error = FieldError::TooLarge;
    }
  }
  // "-0" is no frame before 0, nor a plain 0: no number.
  if (negative && result.value == 0) return {0, FieldError::NotNumber};
  if (negative) result.value = -result.value;
  return result;
}

// What the strict reading makes of a frame field: None for a number from 0 up, with the words
// of its refusal otherwise.
LineFault StrictField(const FrameField& field, std::string_view text, const char* name,
                      std::string* why) {
  LineFault fault = LineFault::None;
  std::string words;
  if (field.error == FieldError::NotNumber) {
    fault = LineFault::FrameNotNumber;
    words = " is not a number";
  } else if (field.error == FieldError::TooLarge) {
    fault = LineFault::FrameTooLarge;
    words = " is larger than " + std::to_string(kLargestFrameNumber);
  } else if (field.value < 0) {
    fault = LineFault::FrameBeforeZero;
    words = " is before frame 0";
  }
  if (fault != LineFault::None && why != nullptr) {
    *why = std::string(name) + " frame " + QuotedField(text) + words;
  }
  return fault;
}

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The number written by the first `count` (1 to 8) of the eight bytes in `word`, all of them
// digits, the first in the lowest byte: three multiplications instead of a loop.
std::uint64_t EightDigitsValue(std::uint64_t word, int count) {
  std::uint64_t v = (word - 0x3030303030303030u) << (8 * (8 - count));
  v = v * 10 + (v >> 8);
  return ((v & 0x000000FF000000FFu) * 0x000F424000000064u +
          ((v >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u) >>
         32;
}

// Reads "{digits}" at `p`, up to nine digits, advancing past the "}". False for anything else,
// which the general scanner then handles.
bool ReadPlainField(const char*& p, const char* end, std::int64_t& value) {
  if (p == end || *p != '{') return false;
  const char* const digits = p + 1;
  if (end - digits >= 10) {
    // Eight bytes at once: the first that is no digit ends the number.
    std::uint64_t word;
    std::memcpy(&word, digits, 8);
    const std::uint64_t nibbles =
        (word & 0xF0F0F0F0F0F0F0F0u) | (((word + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4);
    const std::uint64_t notDigit = nibbles ^ 0x3333333333333333u;
    if (notDigit != 0) {
      const int count = __builtin_ctzll(notDigit) / 8;
      if (count == 0 || digits[count] != '}') return false;
      value = static_cast<std::int64_t>(EightDigitsValue(word, count));
      p = digits + count + 1;
      return true;
    }
    const std::int64_t eight = static_cast<std::int64_t>(EightDigitsValue(word, 8));
    if (digits[8] == '}') {
      value = eight;
      p = digits + 9;
      return true;
    }
    if (digits[8] >= '0' && digits[8] <= '9' && digits[9] == '}') {
      value = eight * 10 + (digits[8] - '0');
      p = digits + 10;
      return true;
    }
    return false;
  }
  const char* q = digits;
  std::int64_t v = 0;
  const char* const digitsEnd = end - q > 9 ? q + 9 : end;
  while (q != digitsEnd && *q >= '0' && *q <= '9') v = v * 10 + (*q++ - '0');
  if (q == digits || q == end || *q != '}') return false;
  value = v;
  p = q + 1;
  return true;
}

}  // namespace

template <typename Reason>
void RecordBuilder::Note(RepairKind kind, LineFault fault, const Reason& reason) {
  const bool first = fault != LineFault::None && line_.fault == LineFault::None;
  std::string words;
  if ((first && !rules_.repair) || log_.collecting()) words = reason();
  log_.Note(line_.number, kind, fault, words);
  if (!LeavesOut(kind)) line_.mended = true;
  if (first) {
    line_.fault = fault;
    if (!rules_.repair) *line_.why = std::move(words);
  }
}

LineFault RecordBuilder::Add(std::string_view line, std::size_t braces, std::size_t lineNumber,
                             std::string& why) {
  line_ = {lineNumber, LineFault::None, &why};
  std::int64_t start = 0;
  std::int64_t end = 0;
  const char* p = line.data();
  const char* const lineEnd = p + line.size();
  if (ReadPlainField(p, lineEnd, start) && ReadPlainField(p, lineEnd, end)) {
    const std::string_view text(p, static_cast<std::size_t>(lineEnd - p));
    // The usual line, {100}{250}text with no brace in its text, goes straight to its record;
    // with repair only when it ends after frame 0 and no line of it starts with "/".
    if (braces == 4 && titleSeen_ && (!careful_ || (end > 0 && !HasSlashAtLineStart(text)))) {
      Append(start, end, text);
    } else {
      const bool first = !titleSeen_;
      titleSeen_ = true;
      AddFields(start, end, text, first);
    }
  } else {
    AddUnusual(line);
  }
  return Outcome();
}

void RecordBuilder::AddUnusual(std::string_view line) {
  if (IsBlankLine(line)) {
    Note(RepairKind::BlankLine, LineFault::BlankLine,
         [] { return std::string("the line is blank"); });
    return;
  }
  const auto fields = ScanTitleLine(line);
  if (!fields) {
    Note(RepairKind::NotATitle, LineFault::MissingBrace, [&] {
      return "not in the {start}{end}text layout: \"" + LineExcerpt(line, encoding_) + "\"";
    });
    return;
  }
  const FrameField start = ReadFrameNumber(fields->start);
  const FrameField end = ReadFrameNumber(fields->end);
  if (start.error != FieldError::None || end.error != FieldError::None) {
    // Left out by repair; the strict reading names the first field it refuses, which may be a
    // negative start before an end that is no number.
    LineFault fault = StrictField(start, fields->start, "start", nullptr);
    if (fault == LineFault::None) fault = StrictField(end, fields->end, "end", nullptr);
    Note(RepairKind::NotATitle, fault, [&] {
      std::string words;
      if (StrictField(start, fields->start, "start", &words) == LineFault::None) {
        StrictField(end, fields->end, "end", &words);
      }
      return words;
    });
    return;
  }
  const bool first = !titleSeen_;
  titleSeen_ = true;
  if (start.value < 0 || end.value < 0) {
    // Before frame 0: repair leaves out a title that ends there and starts the others at 0.
    const bool startFirst = start.value < 0;
    Note(end.value <= 0 ? RepairKind::EndsAtOrBeforeZero : RepairKind::StartBeforeZero,
         LineFault::FrameBeforeZero, [&] {
           std::string words;
           StrictField(startFirst ? start : end, startFirst ? fields->start : fields->end,
                       startFirst ? "start" : "end", &words);
           return words;
         });
    if (end.value <= 0) return;
  }
  // A title that starts before frame 0 is no frame-rate line.
  AddFields(std::max<std::int64_t>(start.value, 0), end.value, fields->text,
            first && start.value >= 0);
}

void RecordBuilder::AddFields(std::int64_t start, std::int64_t end, std::string_view text,
                              bool firstTitle) {
  for (;;) {
    // A title running on in the text is split off as a title of its own.
    const std::optional<RunOnTitle> runOn =
        text.find('{') == std::string_view::npos ? std::nullopt : FindRunOnTitle(text);
    AddBraceTitle(start, end, runOn ? text.substr(0, runOn->at) : text, firstTitle);
    if (!runOn) return;
    const std::string_view fields = text.substr(runOn->at, runOn->length);
    Note(RepairKind::RunTogether, LineFault::TerminatorInText,
         [&] { return "a second title " + std::string(fields) + " runs on in the text"; });
    start = runOn->start;
    end = runOn->end;
    text.remove_prefix(runOn->at + runOn->length);
    firstTitle = false;
  }
}

void RecordBuilder::AddBraceTitle(std::int64_t start, std::int64_t end, std::string_view text,
                                  bool firstTitle) {
  text = RemoveFormattingCodes(text, codes_);
  if (firstTitle && start <= 1 && end <= 1) {
    if (const std::optional<FrameRate> rate = FrameRateOfText(text)) {
      // {1}{1}23.976 gives the film's frame rate; it is no title to show.
      fileFrameRate_ = rate;
      Note(RepairKind::FrameRateLine, LineFault::None,
           [&] { return "frame-rate line, " + FrameRateText(*rate) + " frames a second"; });
      if (Repairing()) return;
    }
  }
  if (end <= 0 && careful_) {
    Note(RepairKind::EndsAtOrBeforeZero, LineFault::None,
         [] { return std::string("the title ends at frame 0"); });
    if (Repairing()) return;
  }
  AddText(start, end, text, true);
}

void RecordBuilder::AddText(std::int64_t start, std::int64_t end, std::string_view text,
                            bool braceLine) {
  if (text.find(kRecordTerminator) != std::string_view::npos) {
    // A "{" would end the record early on the display and garble every title after it.
    Note(RepairKind::BracesInText, LineFault::TerminatorInText, [] {
      return std::string("title text holds \"{\", which the display reads as the end of a title");
    });
  } else if (careful_ && text.find('}') != std::string_view::npos) {
    Note(RepairKind::BracesInText, LineFault::None,
         [] { return std::string("title text holds \"}\""); });
  }
  if (braceLine && careful_ && HasSlashAtLineStart(text)) {
    Note(RepairKind::SlashAtLineStart, LineFault::None,
         [] { return std::string("a line of the title starts with \"/\""); });
    if (Repairing()) text = RemoveSlashesAtLineStart(text, slashes_);
  }
  if (Repairing()) text = BracesToParentheses(text, parentheses_);
  Append(start, end, text);
}

LineFault RecordBuilder::AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                                  std::size_t lineNumber, std::string& why) {
  line_ = {lineNumber, LineFault::None, &why};
  if (start < 0 || end < 0) {
    Note(end <= 0 ? RepairKind::EndsAtOrBeforeZero : RepairKind::StartBeforeZero,
         LineFault::FrameBeforeZero, [&] {
           return std::string(start < 0 ? "the title starts" : "the title ends") +
                  " before 00:00:00,000";
         });
    if (end <= 0) return Outcome();
    start = std::max<std::int64_t>(start, 0);
  } else if (end == 0 && careful_) {
    Note(RepairKind::EndsAtOrBeforeZero, LineFault::None,
         [] { return std::string("the title ends at 00:00:00,000"); });
    if (Repairing()) return Outcome();
  }
  AddText(start, end, text, false);
  return Outcome();
}

LineFault RecordBuilder::Problem(std::size_t lineNumber, RepairKind kind, LineFault fault,
                                 const std::string& reason, std::string& why) {
  line_ = {lineNumber, LineFault::None, &why};
  Note(kind, fault, [&] { return reason; });
  return Outcome();
}

void RecordBuilder::Append(std::int64_t start, std::int64_t end, std::string_view text) {
  std::uint8_t notes = line_.mended && Repairing() ? RecordSource::kMended : 0;
  if (timing_ != nullptr) {
    const TitleTiming::Outcome timed = timing_->Apply(start, end);
    if (timed == TitleTiming::Outcome::LeftOut) return;
    if (timed == TitleTiming::Outcome::StartMoved) notes |= RecordSource::kShortened;
  }
  DisplayClock::Placement placement = clock_.Plan(start, end);
  if (sources_ != nullptr) {
    // It waited when the previous title ended after its start, and lost time when it shows for
    // less than it asks.
    if (clock_.previousEnd() > start) notes |= RecordSource::kWaited;
    if (placement.duration < end - start) notes |= RecordSource::kShortened;
  }
  text = displayLetters_.Write(transcoder_.Transcode(text));
  // Records of at most 65535 frames each; a long title repeats its text.
  std::int64_t copies = (placement.duration + kLargestFrameCount - 1) / kLargestFrameCount;
  if (copies > 1) {
    const auto recordBytes = static_cast<std::int64_t>(4 + text.size() + 1);
    constexpr auto kLargest = static_cast<std::int64_t>(kLargestRepeatedTitle);
    if (copies * recordBytes > kLargest) {
      const std::int64_t lasts = placement.duration;
      Note(RepairKind::TitleShortened, LineFault::TooManyCopies, [&] {
        return "title lasts " + std::to_string(lasts) + " frames; its " + std::to_string(copies) +
               " records of " + std::to_string(recordBytes) + " bytes would take more than " +
               std::to_string(kLargestRepeatedTitle / (1024 * 1024)) + " MB of the image";
      });
      copies = std::max<std::int64_t>(1, kLargest / recordBytes);
      placement.duration = std::min(placement.duration, copies * kLargestFrameCount);
    }
  }
  clock_.Advance(placement);

  std::int64_t gap = placement.gap;
  if (gap > kLargestFrameCount) {
    // Empty records of no duration bridge the gap; the title follows with the rest of it.
    const std::int64_t bridges =
        (gap - kLargestFrameCount + kLargestBridgeGap - 1) / kLargestBridgeGap;
    char* to = writer_.Room(static_cast<std::size_t>(bridges) * 5);
    const auto bridge = EncodeFrameCount(static_cast<std::uint16_t>(kLargestBridgeGap));
    for (std::int64_t i = 0; i < bridges; ++i) {
      *to++ = bridge[0];
      *to++ = bridge[1];
      *to++ = 0;
      *to++ = 0;
      *to++ = kRecordTerminator;
    }
    writer_.Advance(to);
    gap -= bridges * kLargestBridgeGap;
    if (sources_ != nullptr) {
      sources_->insert(sources_->end(), static_cast<std::size_t>(bridges),
                       {.line = line_.number, .notes = RecordSource::kBridge});
    }
  }
  if (sources_ != nullptr) sources_->push_back({.line = line_.number, .notes = notes});

  std::int64_t duration = placement.duration;
  const auto writeHeader = [](char* to, std::int64_t gapFrames, std::int64_t frames) {
    const auto g = EncodeFrameCount(static_cast<std::uint16_t>(gapFrames));
    const auto d = EncodeFrameCount(static_cast<std::uint16_t>(frames));
    to[0] = g[0];
    to[1] = g[1];
    to[2] = d[0];
    to[3] = d[1];
    return to + 4;
  };
  const std::int64_t firstFrames = std::min(duration, kLargestFrameCount);
  char* const record = writer_.Room(4 + CharModeRoom(text.size(), mode_) + 1);
  char* to = WriteCharMode(text, mode_, writeHeader(record, gap, firstFrames));
  *to++ = kRecordTerminator;
  writer_.Advance(to);
  duration -= firstFrames;
  if (duration == 0) return;

  // The same text again, each record straight after the one before it. The text is copied out
  // first, since the first record may leave the writer's buffer before the copies are written.
  const ByteString written(record + 4, static_cast<std::size_t>(to - record) - 5);
  while (duration > 0) {
    const std::int64_t frames = std::min(duration, kLargestFrameCount);
    char* out = writeHeader(writer_.Room(4 + written.size() + 1), 0, frames);
    std::memcpy(out, written.data(), written.size());
    out += written.size();
    *out++ = kRecordTerminator;
    writer_.Advance(out);
    duration -= frames;
    if (sources_ != nullptr) {
      sources_->push_back({.line = line_.number, .notes = RecordSource::kContinued});
    }
  }
}

}  // namespace marvek
