#include "convert/sources/ass_text.h"

#include <cctype>

namespace marvek {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whether an override block (without its braces) starts a drawing: "\p" followed by a number
// of 1 and up. "\pos" and "\pbo" are other codes.
bool StartsDrawing(std::string_view block) {
  for (std::size_t at = block.find("\\p"); at != std::string_view::npos;
       at = block.find("\\p", at + 2)) {
    std::size_t digit = at + 2;
    if (digit >= block.size() || !IsDigit(block[digit])) continue;
    while (digit < block.size() && block[digit] == '0') ++digit;
    if (digit < block.size() && IsDigit(block[digit])) return true;
  }
  return false;
}

// Reads the digits at `at` into `value`; false when there are none.
bool ReadNumber(std::string_view text, std::size_t& at, std::int64_t& value, std::size_t& digits) {
  value = 0;
  digits = 0;
  while (at < text.size() && IsDigit(text[at]) && digits < 18) {
    value = value * 10 + (text[at++] - '0');
    ++digits;
  }
  return digits > 0;
}

}  // namespace

AssTitleText AssEventText(std::string_view text) {
  AssTitleText title;
  title.text.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{') {
      const std::size_t close = text.find('}', i + 1);
      if (close != std::string_view::npos) {
        title.draws = title.draws || StartsDrawing(text.substr(i + 1, close - i - 1));
        i = close;
        continue;
      }
    }
    if (c == '\\' && i + 1 < text.size()) {
      const char code = text[i + 1];
      if (code == 'N') {
        title.text += '|';
        ++i;
        continue;
      }
      if (code == 'n' || code == 'h') {
        title.text += ' ';
        ++i;
        continue;
      }
    }
    title.text += c;
  }
  return title;
}

std::optional<SourceTime> ParseAssTime(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const bool negative = !text.empty() && text.front() == '-';
  std::size_t at = negative ? 1 : 0;
  std::int64_t hours = 0, minutes = 0, seconds = 0, fraction = 0;
  std::size_t digits = 0;
  if (!ReadNumber(text, at, hours, digits) || at >= text.size() || text[at++] != ':') return {};
  if (!ReadNumber(text, at, minutes, digits) || at >= text.size() || text[at++] != ':') return {};
  if (!ReadNumber(text, at, seconds, digits) || hours > 999) return {};
  SourceTime time{(hours * 60 + minutes) * 60 + seconds, 1};
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (!ReadNumber(text, at, fraction, digits) || digits > 9) return {};
    for (std::size_t i = 0; i < digits; ++i) {
      time.count *= 10;
      time.perSecond *= 10;
    }
    time.count += fraction;
  }
  if (at != text.size()) return {};
  if (negative) time.count = -time.count;
  return time;
}

}  // namespace marvek
