#include "convert/record_builder.h"

#include <cstdint>
#include <cstring>

#include "convert/char_mode.h"
#include "convert/title_line.h"

namespace marvek {
namespace {

enum class FieldError { None, NotNumber, TooLarge };

struct FrameField {
  std::int64_t value = 0;
  FieldError error = FieldError::None;
};

// Decimal digits with optional spaces or tabs around them.
FrameField ReadFrameNumber(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  if (field.empty()) return {0, FieldError::NotNumber};
  FrameField result;
  for (const char c : field) {
    if (c < '0' || c > '9') return {0, FieldError::NotNumber};
    if (result.error == FieldError::None) {
      result.value = result.value * 10 + (c - '0');
      if (result.value > kLargestFrameNumber) result.error = FieldError::TooLarge;
    }
  }
  return result;
}

// A field as it stood, quoted and cut short so that a runaway field cannot flood the status list.
std::string Quoted(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string text = "\"";
  text.append(field.substr(0, kShown));
  if (field.size() > kShown) text.append("...");
  text.append("\"");
  return text;
}

LineFault CheckField(const FrameField& field, std::string_view text, const char* name,
                     std::string& why) {
  if (field.error == FieldError::NotNumber) {
    why = std::string(name) + " frame " + Quoted(text) + " is not a number";
    return LineFault::FrameNotNumber;
  }
  if (field.error == FieldError::TooLarge) {
    why = std::string(name) + " frame " + Quoted(text) + " is larger than " +
          std::to_string(kLargestFrameNumber);
    return LineFault::FrameTooLarge;
  }
  return LineFault::None;
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

// A "{" in the text would end the record early on the display and garble every title after it.
LineFault CheckNoTerminator(std::string_view text, std::string& why) {
  if (text.find(kRecordTerminator) == std::string_view::npos) return LineFault::None;
  why = "title text holds \"{\", which the display reads as the end of a title";
  return LineFault::TerminatorInText;
}

}  // namespace

LineFault RecordBuilder::Add(std::string_view line, std::size_t braces, std::string& why) {
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string_view text;
  const char* p = line.data();
  const char* const lineEnd = p + line.size();
  if (ReadPlainField(p, lineEnd, start) && ReadPlainField(p, lineEnd, end)) {
    // The usual line, {100}{250}text, read in one go. The text loses everything up to its
    // first "}", a formatting code such as {y:i}.
    text = std::string_view(p, static_cast<std::size_t>(lineEnd - p));
    if (braces > 4) {
      if (const std::size_t close = text.find('}'); close != std::string_view::npos) {
        text.remove_prefix(close + 1);
      }
      if (const LineFault f = CheckNoTerminator(text, why); f != LineFault::None) return f;
    }
  } else {
    const auto fields = ScanTitleLine(line);
    if (!fields) {
      why = "not in the {start}{end}text layout";
      return LineFault::MissingBrace;
    }
    const FrameField startField = ReadFrameNumber(fields->start);
    const FrameField endField = ReadFrameNumber(fields->end);
    if (const LineFault f = CheckField(startField, fields->start, "start", why);
        f != LineFault::None) {
      return f;
    }
    if (const LineFault f = CheckField(endField, fields->end, "end", why); f != LineFault::None) {
      return f;
    }
    start = startField.value;
    end = endField.value;
    text = fields->text;
    if (const LineFault f = CheckNoTerminator(text, why); f != LineFault::None) return f;
  }
  return Append(start, end, text, why);
}

LineFault RecordBuilder::AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                                  std::string& why) {
  if (const LineFault f = CheckNoTerminator(text, why); f != LineFault::None) return f;
  return Append(start, end, text, why);
}

LineFault RecordBuilder::Append(std::int64_t start, std::int64_t end, std::string_view text,
                                std::string& why) {
  DisplayClock next = clock_;
  const DisplayClock::Placement placement = next.Place(start, end);
  if (placement.gap > kLargestFrameCount) {
    why = "title starts " + std::to_string(placement.gap) +
          " frames after the previous one ends; the display counts at most " +
          std::to_string(kLargestFrameCount);
    return LineFault::GapTooLong;
  }
  if (placement.duration > kLargestFrameCount) {
    why = "title lasts " + std::to_string(placement.duration) +
          " frames; the display counts at most " + std::to_string(kLargestFrameCount);
    return LineFault::DurationTooLong;
  }
  clock_ = next;

  text = displayLetters_.Write(transcoder_.Transcode(text));
  const auto gap = EncodeFrameCount(static_cast<std::uint16_t>(placement.gap));
  const auto duration = EncodeFrameCount(static_cast<std::uint16_t>(placement.duration));
  char* to = writer_.Room(4 + CharModeRoom(text.size(), mode_) + 1);
  to[0] = gap[0];
  to[1] = gap[1];
  to[2] = duration[0];
  to[3] = duration[1];
  to = WriteCharMode(text, mode_, to + 4);
  *to++ = kRecordTerminator;
  writer_.Advance(to);
  return LineFault::None;
}

}  // namespace marvek
