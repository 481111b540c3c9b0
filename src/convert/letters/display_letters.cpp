#include "convert/letters/display_letters.h"

#include "convert/letters/shown_bytes.h"

#include <algorithm>
#include <array>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MARVEK_X86 1
#endif

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

constexpr std::array<std::uint8_t, 256> MakeShown() {
  std::array<std::uint8_t, 256> shown{};
  for (int b = 0; b < 256; ++b) shown[b] = b < 0x80 || kUpperHalf[b - 0x80] == nullptr;
  return shown;
}

// 1 for the bytes the display shows as they are, 0 for the others.
constexpr auto kShown = MakeShown();

constexpr bool HalfClassesAgree() {
  for (int b = 0; b < 256; ++b) {
    const bool shown = (kHighHalfClasses[b >> 4] & kLowHalfClasses[b & 0x0F]) != 0;
    if (shown != (kShown[b] != 0)) return false;
  }
  return true;
}
static_assert(HalfClassesAgree(), "the half classes must tell the shown bytes");

// Whether the display shows every byte of [p, p + size) as it is: eight lookups at a time,
// without a branch on what the bytes hold.
bool AllShownByLookup(const unsigned char* p, std::size_t size) {
  const auto eight = [](const unsigned char* q) {
    return kShown[q[0]] & kShown[q[1]] & kShown[q[2]] & kShown[q[3]] & kShown[q[4]] & kShown[q[5]] &
           kShown[q[6]] & kShown[q[7]];
  };
  std::uint8_t all = 1;
  if (size >= 8) {
    for (std::size_t i = 0; i + 8 < size; i += 8) all &= eight(p + i);
    all &= eight(p + size - 8);  // the last eight, overlapping those before
  } else {
    for (std::size_t i = 0; i < size; ++i) all &= kShown[p[i]];
  }
  return all != 0;
}

#if defined(MARVEK_X86)

// The bytes among the 16 at `p` that the display does not show as they are, one bit each.
__attribute__((target("ssse3"))) unsigned NotShownAt(const unsigned char* p) {
  return NotShown16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// AllShownByLookup, 16 bytes at a time. Most titles are 16 to 64 bytes long: they are looked at
// in four steps of 16, a step that would pass the text's end moved back to end with it, so that
// how long a title is decides no branch.
__attribute__((target("ssse3"))) bool AllShownSsse3(const unsigned char* p, std::size_t size) {
  if (size < 16) return AllShownByLookup(p, size);
  const std::size_t last = size - 16;
  unsigned notShown = NotShownAt(p) | NotShownAt(p + std::min<std::size_t>(16, last)) |
                      NotShownAt(p + std::min<std::size_t>(32, last)) |
                      NotShownAt(p + std::min<std::size_t>(48, last));
  for (std::size_t at = 64; at < size; at += 16) notShown |= NotShownAt(p + std::min(at, last));
  return notShown == 0;
}

using AllShownCheck = bool (*)(const unsigned char*, std::size_t);

AllShownCheck PickAllShown() {
  __builtin_cpu_init();  // may run before the library's own start-up code
  return __builtin_cpu_supports("ssse3") ? AllShownSsse3 : AllShownByLookup;
}

const AllShownCheck kAllShown = PickAllShown();

#else

constexpr auto kAllShown = AllShownByLookup;

#endif

}  // namespace

const char* DisplaySpelling(unsigned char byte) {
  return byte < 0x80 ? nullptr : kUpperHalf[byte - 0x80];
}

std::string_view DisplayLetters::Write(std::string_view text) {
  // Most titles are ASCII with a few of the ten letters, and are not copied. Every byte is asked
  // alike, many at a time: titles are short, and a branch on each byte above 0x7F would cost
  // more than looking at all of them.
  if (kAllShown(reinterpret_cast<const unsigned char*>(text.data()), text.size())) return text;
  return Rewrite(text);
}

std::string_view DisplayLetters::Rewrite(std::string_view text) {
  changed_ = true;
  out_.clear();
  for (const char c : text) {
    const Spelling& s = kSpellings[static_cast<unsigned char>(c)];
    out_.append(s.text, s.length);
  }
  return out_;
}

}  // namespace marvek
