#include "convert/layouts/mpl2_reader.h"

#include "convert/encoding/line_excerpt.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/records/record_builder.h"
#include "shared/plain_text.h"

namespace marvek {
namespace {

// 999:59:59.9, the longest time a SubRip file can hold, so that both layouts reach the same
// frames and FrameAt stays exact.
constexpr std::int64_t kLargestTenths = 999LL * 3600 * 10 + 3599 * 10 + 9;

// The field between "[" and "]" at the front of `rest`, moving past both. False when either is
// missing.
bool CutField(std::string_view& rest, std::string_view& field) {
  if (rest.empty() || rest.front() != '[') return false;
  const std::size_t close = rest.find(']');
  if (close == std::string_view::npos) return false;
  field = rest.substr(1, close - 1);
  rest.remove_prefix(close + 1);
  return true;
}

// The length of the MicroDVD formatting code at the front of `text`: "{", an ASCII letter, ":",
// anything but "}", then "}". 0 when there is none.
std::size_t CodeLength(std::string_view text) {
  if (text.size() < 4 || text[0] != '{' || text[2] != ':') return 0;
  const char letter = text[1];
  if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return 0;
  const std::size_t close = text.find('}', 3);
  return close == std::string_view::npos ? 0 : close + 1;
}

LineFault ReadTime(std::string_view field, const char* name, std::int64_t& tenths,
                   std::string& why) {
  if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos) {
    why = std::string(name) + " time " + QuotedField(field) +
          " is not a number of tenths of a second";
    return LineFault::FrameNotNumber;
  }
  tenths = 0;
  for (const char c : field) {
    tenths = tenths * 10 + (c - '0');
    if (tenths > kLargestTenths) {
      why = std::string(name) + " time " + QuotedField(field) + " is 1000 hours or more";
      return LineFault::FrameTooLarge;
    }
  }
  return LineFault::None;
}

}  // namespace

bool LooksLikeMpl2(std::string_view head) {
  // Skip the blank lines before the first title.
  std::size_t at = 0;
  while (at < head.size() && (IsBlank(head[at]) || head[at] == '\r' || head[at] == '\n')) ++at;
  std::string_view rest = head.substr(at);
  for (int field = 0; field < 2; ++field) {
    if (rest.empty() || rest.front() != '[') return false;
    std::size_t i = 1;
    while (i < rest.size() && IsDigit(rest[i])) ++i;
    if (i == 1 || i == rest.size() || rest[i] != ']') return false;
    rest.remove_prefix(i + 1);
  }
  return true;
}

void AppendMpl2Text(std::string_view text, ByteString& out) {
  ByteString untagged;
  AppendWithoutTags(text, untagged);
  // A "/" counts as the italic mark only where a line of the title begins, codes not counted.
  bool lineStart = true;
  std::string_view rest = untagged;
  while (!rest.empty()) {
    if (const std::size_t code = CodeLength(rest); code != 0) {
      rest.remove_prefix(code);
      continue;
    }
    const char c = rest.front();
    rest.remove_prefix(1);
    if (lineStart && c == '/') {
      lineStart = false;
      continue;
    }
    lineStart = c == '|';
    out.push_back(c);
  }
}

LineFault Mpl2Reader::Add(std::string_view line, std::size_t lineNumber, RecordBuilder& builder,
                          std::string& why) {
  lastLine_ = lineNumber;
  std::string_view rest = line;
  std::string_view startField;
  std::string_view endField;
  if (!CutField(rest, startField) || !CutField(rest, endField)) {
    // Repair leaves such a line out, as it does a brace file's.
    const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
    return builder.Problem(lineNumber, blank ? RepairKind::BlankLine : RepairKind::NotATitle,
                           blank ? LineFault::BlankLine : LineFault::Mpl2Layout,
                           blank ? "the line is blank" : "not in the [start][end]text layout", why);
  }
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string timeWhy;
  LineFault fault = ReadTime(startField, "start", start, timeWhy);
  if (fault == LineFault::None) fault = ReadTime(endField, "end", end, timeWhy);
  if (fault != LineFault::None) {
    return builder.Problem(lineNumber, RepairKind::NotATitle, fault, timeWhy, why);
  }
  text_.clear();
  AppendMpl2Text(rest, text_);
  return builder.AddTitle(FrameAt(start * 100, rate_), FrameAt(end * 100, rate_), text_, lineNumber,
                          why);
}

}  // namespace marvek
