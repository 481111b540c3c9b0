#include "convert/layouts/brace_reader.h"

#include <algorithm>
#include <cstring>

#include "convert/encoding/line_excerpt.h"
#include "convert/layouts/brace_fields.h"
#include "convert/layouts/title_text.h"
#include "convert/records/record_builder.h"
#include "convert/timing/title_timing.h"

namespace marvek {
namespace {

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

LineFault BraceReader::Add(const FileLine& fileLine, std::size_t lineNumber, RecordBuilder& builder,
                           std::string& why) {
  lineNumber_ = lineNumber;
  builder.BeginLine(lineNumber, why);
  const std::string_view line = fileLine.text;
  std::int64_t start = 0;
  std::int64_t end = 0;
  const char* p = line.data();
  const char* const lineEnd = p + line.size();
  if (ReadPlainField(p, lineEnd, start) && ReadPlainField(p, lineEnd, end)) {
    const std::string_view text(p, static_cast<std::size_t>(lineEnd - p));
    // The usual line, {100}{250}text with no brace in its text, goes straight to its record;
    // with repair only when it ends after frame 0 and no line of it starts with "/".
    if (fileLine.braces == 4 && titleSeen_ &&
        (!builder.careful() || (end > 0 && (!fileLine.slash || !HasSlashAtLineStart(text))))) {
      builder.Append(start, end, text);
      return builder.Outcome();
    }
    const bool first = !titleSeen_;
    titleSeen_ = true;
    AddFields(start, end, text, first, builder);
  } else {
    AddUnusual(line, builder);
  }
  // Only the first title can be a frame-rate line, and the usual line above is never the first.
  if (!fileRateUsed_ && fileFrameRate_) UseFileRate(builder);
  return builder.Outcome();
}

void BraceReader::UseFileRate(RecordBuilder& builder) {
  fileRateUsed_ = true;
  if (timing_ != nullptr && report_ != nullptr &&
      UseFrameRateLine(*fileFrameRate_, *timing_, *report_)) {
    builder.SetTiming(timing_);
  }
}

void BraceReader::AddUnusual(std::string_view line, RecordBuilder& builder) {
  if (IsBlankLine(line)) {
    builder.Note(RepairKind::BlankLine, LineFault::BlankLine,
                 [] { return std::string("the line is blank"); });
    return;
  }
  const auto fields = ScanTitleLine(line);
  if (!fields) {
    builder.Note(RepairKind::NotATitle, LineFault::MissingBrace, [&] {
      return "not in the {start}{end}text layout: \"" + LineExcerpt(line, builder.encoding()) +
             "\"";
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
    builder.Note(RepairKind::NotATitle, fault, [&] {
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
    builder.Note(end.value <= 0 ? RepairKind::EndsAtOrBeforeZero : RepairKind::StartBeforeZero,
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
            first && start.value >= 0, builder);
}

void BraceReader::AddFields(std::int64_t start, std::int64_t end, std::string_view text,
                            bool firstTitle, RecordBuilder& builder) {
  for (;;) {
    // A title running on in the text is split off as a title of its own.
    const std::optional<RunOnTitle> runOn =
        text.find('{') == std::string_view::npos ? std::nullopt : FindRunOnTitle(text);
    AddTitle(start, end, runOn ? text.substr(0, runOn->at) : text, firstTitle, builder);
    if (!runOn) return;
    const std::string_view fields = text.substr(runOn->at, runOn->length);
    builder.Note(RepairKind::RunTogether, LineFault::TerminatorInText,
                 [&] { return "a second title " + std::string(fields) + " runs on in the text"; });
    start = runOn->start;
    end = runOn->end;
    text.remove_prefix(runOn->at + runOn->length);
    firstTitle = false;
  }
}

void BraceReader::AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                           bool firstTitle, RecordBuilder& builder) {
  text = RemoveFormattingCodes(text, codes_);
  if (firstTitle && start <= 1 && end <= 1) {
    if (const std::optional<FrameRate> rate = FrameRateOfText(text)) {
      // {1}{1}23.976 gives the film's frame rate; it is no title to show.
      fileFrameRate_ = rate;
      builder.Note(RepairKind::FrameRateLine, LineFault::None,
                   [&] { return "frame-rate line, " + FrameRateText(*rate) + " frames a second"; });
      if (builder.Repairing()) return;
    }
  }
  if (end <= 0 && builder.careful()) {
    builder.Note(RepairKind::EndsAtOrBeforeZero, LineFault::None,
                 [] { return std::string("the title ends at frame 0"); });
    if (builder.Repairing()) return;
  }
  builder.NoteBraces(text);
  if (builder.careful() && HasSlashAtLineStart(text)) {
    builder.Note(RepairKind::SlashAtLineStart, LineFault::None,
                 [] { return std::string("a line of the title starts with \"/\""); });
    if (builder.Repairing()) text = RemoveSlashesAtLineStart(text, slashes_);
  }
  builder.AppendText(start, end, text);
}

bool OpensWithBraceTitle(std::string_view rest) {
  const std::string_view line = rest.substr(0, rest.find_first_of("\r\n"));
  const std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '{' && ScanTitleLine(line).has_value();
}

}  // namespace marvek
