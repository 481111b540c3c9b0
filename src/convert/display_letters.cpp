#include "convert/display_letters.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "convert/text_encoding.h"

namespace marvek {
namespace {

// Windows-1250, bytes 0x80 to 0xFF, as the display gets them. Null keeps the byte: the ten
// letters of the character modes. The five bytes that stand for nothing become "?" as well.
constexpr const char* kUpperHalf[128] = {
    "?",     "?", "'",     "?",  "\"", "...", "?",     "?",  // € unused ‚ unused „ … † ‡
    "?",     "?", nullptr, "'",  "S",  "T",   nullptr, "Z",   // unused ‰ Š ‹ Ś Ť Ž Ź
    "?",     "'", "'",     "\"", "\"", "?",   "-",     "-",   // unused ‘ ’ “ ” • – —
    "?",     "?", nullptr, "'",  "s",  "t",   nullptr, "z",   // unused ™ š › ś ť ž ź
    " ",     "?", "?",     "L",  "?",  "A",   "?",     "?",   // no-break space ˇ ˘ Ł ¤ Ą ¦ §
    "?",     "?", "S",     "\"", "?",  "?",   "?",     "Z",   // ¨ © Ş « ¬ soft hyphen ® Ż
    "?",     "?", "?",     "l",  "?",  "?",   "?",     "?",   // ° ± ˛ ł ´ µ ¶ ·
    "?",     "a", "s",     "\"", "L",  "?",   "l",     "z",   // ¸ ą ş » Ľ ˝ ľ ż
    "R",     "A", "A",     "A",  "A",  "L",   nullptr, "C",   // Ŕ Á Â Ă Ä Ĺ Ć Ç
    nullptr, "E", "E",     "E",  "E",  "I",   "I",     "D",   // Č É Ę Ë Ě Í Î Ď
    nullptr, "N", "N",     "O",  "O",  "O",   "O",     "?",   // Đ Ń Ň Ó Ô Ő Ö ×
    "R",     "U", "U",     "U",  "U",  "Y",   "T",     "ss",  // Ř Ů Ú Ű Ü Ý Ţ ß
    "r",     "a", "a",     "a",  "a",  "l",   nullptr, "c",   // ŕ á â ă ä ĺ ć ç
    nullptr, "e", "e",     "e",  "e",  "i",   "i",     "d",   // č é ę ë ě í î ď
    nullptr, "n", "n",     "o",  "o",  "o",   "o",     "?",   // đ ń ň ó ô ő ö ÷
    "r",     "u", "u",     "u",  "u",  "y",   "t",     "?",   // ř ů ú ű ü ý ţ ˙
};

// Each byte's spelling, ready to copy: the byte itself where the display shows it.
struct Spelling {
  char text[3];
  std::uint8_t length;
};

constexpr std::array<Spelling, 256> MakeSpellings() {
  std::array<Spelling, 256> spellings{};
  for (int b = 0; b < 256; ++b) {
    const char* text = b < 0x80 ? nullptr : kUpperHalf[b - 0x80];
    Spelling& s = spellings[b];
    if (text == nullptr) {
      s.text[0] = static_cast<char>(b);
      s.length = 1;
      continue;
    }
    while (text[s.length] != '\0') {
      s.text[s.length] = text[s.length];
      ++s.length;
    }
  }
  return spellings;
}

constexpr auto kSpellings = MakeSpellings();

constexpr std::array<bool, 256> MakeShown() {
  std::array<bool, 256> shown{};
  for (int b = 0; b < 256; ++b) shown[b] = b < 0x80 || kUpperHalf[b - 0x80] == nullptr;
  return shown;
}

// The bytes the display shows as they are.
constexpr auto kShown = MakeShown();

}  // namespace

const char* DisplaySpelling(unsigned char byte) {
  return byte < 0x80 ? nullptr : kUpperHalf[byte - 0x80];
}

std::string_view DisplayLetters::Write(std::string_view text) {
  // Most titles are ASCII with a few of the ten letters: eight ASCII bytes are passed at a time,
  // one lookup tells whether a byte above them may stay, and such a text is not copied.
  const auto begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto end = begin + text.size();
  const unsigned char* p = SkipAscii(begin, end);
  while (p != end && kShown[*p]) p = SkipAscii(p + 1, end);
  if (p == end) return text;

  changed_ = true;
  out_.assign(text.data(), static_cast<std::size_t>(p - begin));
  for (; p != end; ++p) {
    const Spelling& s = kSpellings[*p];
    out_.append(s.text, s.length);
  }
  return out_;
}

}  // namespace marvek
