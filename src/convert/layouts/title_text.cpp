#include "convert/layouts/title_text.h"

#include <cstring>

#include "convert/records/record_format.h"
#include "shared/plain_text.h"

namespace marvek {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The highest rate a frame-rate line may give, in frames a second.
constexpr std::int64_t kLargestLineRate = 200;

// Reads "{digits}" at `at`, 1 to 10 digits making at most kLargestFrameNumber; moves `at` past it.
bool ReadRunOnField(std::string_view text, std::size_t& at, std::int64_t& value) {
  if (at >= text.size() || text[at] != '{') return false;
  std::size_t i = at + 1;
  value = 0;
  while (i < text.size() && i - at <= 10 && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i++] - '0');
  }
  if (i == at + 1 || i >= text.size() || text[i] != '}' || value > kLargestFrameNumber) {
    return false;
  }
  at = i + 1;
  return true;
}

}  // namespace

std::string_view RemoveFormattingCodes(std::string_view text, ByteString& buffer) {
  // The first "}" at or after `from`, remembered: a code ends at the first "}" after its ":", so
  // one search serves every "{" before it, and a text of many "{a:" stays linear.
  std::size_t close = 0;
  bool closeKnown = false;
  const auto codeLength = [&](std::size_t at) -> std::size_t {
    if (at + 3 >= text.size() || !IsAsciiLetter(text[at + 1]) || text[at + 2] != ':') return 0;
    if (!closeKnown || (close != std::string_view::npos && close < at + 3)) {
      close = text.find('}', at + 3);
      closeKnown = true;
    }
    return close == std::string_view::npos ? 0 : close + 1 - at;
  };

  // Codes at the very start, the usual place, leave a view of the rest.
  std::size_t from = 0;
  while (from < text.size() && text[from] == '{') {
    const std::size_t length = codeLength(from);
    if (length == 0) break;
    from += length;
  }
  std::size_t brace = text.find('{', from);
  if (brace == std::string_view::npos) return text.substr(from);

  buffer.clear();
  while (brace != std::string_view::npos) {
    const std::size_t length = codeLength(brace);
    if (length == 0) {
      buffer.append(text.substr(from, brace + 1 - from));
      from = brace + 1;
    } else {
      buffer.append(text.substr(from, brace - from));
      from = brace + length;
    }
    brace = text.find('{', from);
  }
  buffer.append(text.substr(from));
  return buffer;
}

std::optional<RunOnTitle> FindRunOnTitle(std::string_view text) {
  for (std::size_t at = text.find('{'); at != std::string_view::npos; at = text.find('{', at + 1)) {
    RunOnTitle title;
    std::size_t next = at;
    if (ReadRunOnField(text, next, title.start) && ReadRunOnField(text, next, title.end)) {
      title.at = at;
      title.length = next - at;
      return title;
    }
  }
  return std::nullopt;
}

bool HasSlashAtLineStart(std::string_view text) {
  // "/" is rare in titles and "|" is common: look for the first.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* p = begin;
       (p = static_cast<const char*>(std::memchr(p, '/', static_cast<std::size_t>(end - p))));
       ++p) {
    if (p == begin || p[-1] == '|') return true;
  }
  return false;
}

std::string_view RemoveSlashesAtLineStart(std::string_view text, ByteString& buffer) {
  const bool first = !text.empty() && text.front() == '/';
  const std::size_t afterFirst = first ? 1 : 0;
  if (text.find("|/", afterFirst) == std::string_view::npos) return text.substr(afterFirst);
  buffer.clear();
  for (std::size_t i = afterFirst; i < text.size(); ++i) {
    buffer.push_back(text[i]);
    if (text[i] == '|' && i + 1 < text.size() && text[i + 1] == '/') ++i;
  }
  return buffer;
}

std::optional<FrameRate> FrameRateOfText(std::string_view text) {
  // Short: a rate is a few digits, and a long text is no frame-rate line.
  if (text.size() > 32) return std::nullopt;
  std::string kept;
  for (const char c : text) {
    if (c != '{' && c != '}') kept.push_back(c);
  }
  // Files write their rate in decimals; a fraction such as "3/2" is a title's text, whatever the
  // operator may type for a rate.
  if (kept.find('/') != std::string::npos) return std::nullopt;
  const std::optional<FrameRate> parsed = ParseFrameRate(Trimmed(kept));
  if (!parsed || parsed->numerator < parsed->denominator ||
      parsed->numerator > kLargestLineRate * parsed->denominator) {
    return std::nullopt;
  }
  return parsed;
}

}  // namespace marvek
