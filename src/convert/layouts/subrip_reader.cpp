#include "convert/layouts/subrip_reader.h"

#include <algorithm>
#include <array>

#include "convert/records/record_builder.h"
#include "shared/plain_text.h"

namespace marvek {
namespace {

// With at most three digits of hours FrameAt's products stay within 64 bits.
constexpr std::size_t kLargestHourDigits = 3;

bool IsTitleNumber(std::string_view line) {
  line = Trimmed(line);
  if (line.empty()) return false;
  for (const char c : line) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// Reads 1 to `most` digits at the front of `text`, moving past them.
bool ReadDigits(std::string_view& text, std::size_t least, std::size_t most, std::int64_t& value,
                std::size_t* count = nullptr) {
  std::size_t n = 0;
  value = 0;
  while (n < text.size() && n < most && IsDigit(text[n])) value = value * 10 + (text[n++] - '0');
  if (n < least || (n < text.size() && IsDigit(text[n]))) return false;
  text.remove_prefix(n);
  if (count != nullptr) *count = n;
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// "01:02:03,456" (or with a "." before the milliseconds) at the front of `text`, with a "-" in
// front for a time before 0, as some editors leave after shifting a file.
bool ReadTime(std::string_view& text, std::int64_t& milliseconds) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  std::int64_t hours = 0;
  std::int64_t minutes = 0;
  std::int64_t seconds = 0;
  std::int64_t fraction = 0;
  std::size_t fractionDigits = 0;
  if (!ReadDigits(text, 1, kLargestHourDigits, hours) || !Expect(text, ':') ||
      !ReadDigits(text, 2, 2, minutes) || minutes > 59 || !Expect(text, ':') ||
      !ReadDigits(text, 2, 2, seconds) || seconds > 59) {
    return false;
  }
  if (!Expect(text, ',') && !Expect(text, '.')) return false;
  if (!ReadDigits(text, 1, 3, fraction, &fractionDigits)) return false;
  // ",5" is half a second, as a decimal fraction.
  for (std::size_t i = fractionDigits; i < 3; ++i) fraction *= 10;
  milliseconds = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction;
  if (negative) milliseconds = -milliseconds;
  return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

// The length of the formatting tag at the front of `text` ("<i>", "</font>", "<font
// color=...>", "{\an8}"), or 0 when there is none.
std::size_t TagLength(std::string_view text) {
  if (text.starts_with("{\\")) {
    const std::size_t close = text.find('}');
    return close == std::string_view::npos ? 0 : close + 1;
  }
  if (!text.starts_with('<')) return 0;
  const std::size_t close = text.find('>');
  if (close == std::string_view::npos) return 0;
  std::string_view inside = text.substr(1, close - 1);
  if (inside.starts_with('/')) inside.remove_prefix(1);
  const std::size_t nameEnd = inside.find_first_of(" \t");
  const std::string_view name = inside.substr(0, nameEnd);
  if (EqualIgnoringCase(name, "font")) return close + 1;
  // The short tags take nothing after their name.
  if (nameEnd == std::string_view::npos &&
      (EqualIgnoringCase(name, "i") || EqualIgnoringCase(name, "b") ||
       EqualIgnoringCase(name, "u"))) {
    return close + 1;
  }
  return 0;
}

}  // namespace

bool ParseSubRipTimes(std::string_view line, std::int64_t& start, std::int64_t& end) {
  line = Trimmed(line);
  if (!ReadTime(line, start)) return false;
  line = Trimmed(line);
  if (!line.starts_with("-->")) return false;
  line = Trimmed(line.substr(3));
  if (!ReadTime(line, end)) return false;
  return line.empty() || IsBlank(line.front());
}

bool LooksLikeSubRip(std::string_view head) {
  std::array<std::string_view, 2> lines;
  std::size_t found = 0;
  while (!head.empty() && found < lines.size()) {
    const std::size_t end = head.find_first_of("\r\n");
    const std::string_view line = head.substr(0, end);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end);
    if (head.starts_with("\r\n")) {
      head.remove_prefix(2);
    } else if (!head.empty()) {
      head.remove_prefix(1);
    }
    if (found == 0 && Trimmed(line).empty()) continue;
    lines[found++] = line;
  }
  std::int64_t start = 0;
  std::int64_t end = 0;
  // Some files leave the title numbers out and open with a line of times.
  if (found >= 1 && ParseSubRipTimes(lines[0], start, end)) return true;
  return found == 2 && IsTitleNumber(lines[0]) && ParseSubRipTimes(lines[1], start, end);
}

void AppendWithoutTags(std::string_view line, ByteString& text) {
  while (!line.empty()) {
    const std::size_t mark = line.find_first_of("<{");
    text.append(line.substr(0, mark));
    if (mark == std::string_view::npos) return;
    line.remove_prefix(mark);
    if (const std::size_t tag = TagLength(line); tag != 0) {
      line.remove_prefix(tag);
    } else {
      text.push_back(line.front());
      line.remove_prefix(1);
    }
  }
}

LineFault SubRipReader::Add(std::string_view line, std::size_t lineNumber, RecordBuilder& builder,
                            std::string& why) {
  const bool blank = Trimmed(line).empty();
  lastLine_ = lineNumber;
  switch (expect_) {
    case Expect::Skip:
      // After a title that cannot be read: a blank line or a line of times starts afresh.
      if (blank) {
        expect_ = Expect::Number;
        return LineFault::None;
      }
      if (std::int64_t start = 0, end = 0; !ParseSubRipTimes(line, start, end)) {
        return LineFault::None;
      }
      expect_ = Expect::Times;
      return Add(line, lineNumber, builder, why);
    case Expect::Number:
      if (blank) return LineFault::None;
      if (IsTitleNumber(line)) {
        expect_ = Expect::Times;
        return LineFault::None;
      }
      // Some files leave the numbers out; a line of times opens the title all the same.
      [[fallthrough]];
    case Expect::Times:
      return ReadTimes(line, lineNumber, builder, why);
    case Expect::Text:
      if (blank) return HandOver(builder, why);
      if (hasText_) text_.push_back('|');
      hasText_ = true;
      AppendWithoutTags(line, text_);
      return LineFault::None;
  }
  return LineFault::None;
}

LineFault SubRipReader::ReadTimes(std::string_view line, std::size_t lineNumber,
                                  RecordBuilder& builder, std::string& why) {
  std::int64_t start = 0;
  std::int64_t end = 0;
  if (!ParseSubRipTimes(line, start, end)) {
    const char* reason =
        expect_ == Expect::Number
            ? "expected the number of a title"
            : "expected the times of a title, such as 00:01:02,500 --> 00:01:04,000";
    // Repair leaves the title out up to the next blank line.
    expect_ = Expect::Skip;
    faultLine_ = lineNumber;
    return builder.Problem(lineNumber, RepairKind::UnreadableCue, LineFault::SubRipLayout, reason,
                           why);
  }
  start_ = FrameAt(start, rate_);
  end_ = FrameAt(end, rate_);
  // A time before 0 stays before frame 0, however it rounds.
  if (start < 0) start_ = std::min<std::int64_t>(start_, -1);
  if (end < 0) end_ = std::min<std::int64_t>(end_, -1);
  timesLine_ = lineNumber;
  hasText_ = false;
  text_.clear();
  expect_ = Expect::Text;
  return LineFault::None;
}

LineFault SubRipReader::Finish(RecordBuilder& builder, std::string& why) {
  switch (expect_) {
    case Expect::Number:
    case Expect::Skip:
      return LineFault::None;
    case Expect::Times:
      faultLine_ = lastLine_;
      expect_ = Expect::Number;
      return builder.Problem(lastLine_, RepairKind::UnreadableCue, LineFault::SubRipLayout,
                             "the file ends before the times of its last title", why);
    case Expect::Text:
      return HandOver(builder, why);
  }
  return LineFault::None;
}

LineFault SubRipReader::HandOver(RecordBuilder& builder, std::string& why) {
  expect_ = Expect::Number;
  faultLine_ = timesLine_;
  return builder.AddTitle(start_, end_, text_, timesLine_, why);
}

}  // namespace marvek
