#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The small readings and writings of plain ASCII text that every part does alike: title files,
// the operator's option texts and the status lines all count and trim the same way.
namespace marvek {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A blank within a line: a space or a tab. Line ends are the line reader's business.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// `text` without the blanks at either end.
inline std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// "1 frame", "48 frames": `n` with the word that goes with it.
inline std::string Count(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace marvek
