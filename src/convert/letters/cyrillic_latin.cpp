#include "convert/letters/cyrillic_latin.h"

namespace marvek {
namespace {

struct Spelling {
  const char* capital;     // the capital letter before a small one: Lj
  const char* allCapital;  // among capitals: LJ
  const char* small;       // lj
};

// U+0400 to U+042F; the small letters are U+0450 to U+045F and U+0430 to U+044F. Windows-1250
// bytes: Č C8 č E8, Ć C6 ć E6, Đ D0 đ F0, Š 8A š 9A, Ž 8E ž 9E, Ë CB ë EB.
constexpr Spelling kSpellings[48] = {
    {"E", "E", "e"},                       // Ѐ  (scholarly È; Windows-1250 has no È)
    {"\xCB", "\xCB", "\xEB"},              // Ё  Ë
    {"\xD0", "\xD0", "\xF0"},              // Ђ  Đ
    {"Gj", "GJ", "gj"},                    // Ѓ
    {"Je", "JE", "je"},                    // Є
    {"Dz", "DZ", "dz"},                    // Ѕ
    {"I", "I", "i"},                       // І
    {"Ji", "JI", "ji"},                    // Ї
    {"J", "J", "j"},                       // Ј
    {"Lj", "LJ", "lj"},                    // Љ
    {"Nj", "NJ", "nj"},                    // Њ
    {"\xC6", "\xC6", "\xE6"},              // Ћ  Ć
    {"Kj", "KJ", "kj"},                    // Ќ
    {"I", "I", "i"},                       // Ѝ  (Ì)
    {"U", "U", "u"},                       // Ў  (Ŭ)
    {"D\x9E", "D\x8E", "d\x9E"},           // Џ  Dž
    {"A", "A", "a"},                       // А
    {"B", "B", "b"},                       // Б
    {"V", "V", "v"},                       // В
    {"G", "G", "g"},                       // Г
    {"D", "D", "d"},                       // Д
    {"E", "E", "e"},                       // Е
    {"\x8E", "\x8E", "\x9E"},              // Ж  Ž
    {"Z", "Z", "z"},                       // З
    {"I", "I", "i"},                       // И
    {"J", "J", "j"},                       // Й
    {"K", "K", "k"},                       // К
    {"L", "L", "l"},                       // Л
    {"M", "M", "m"},                       // М
    {"N", "N", "n"},                       // Н
    {"O", "O", "o"},                       // О
    {"P", "P", "p"},                       // П
    {"R", "R", "r"},                       // Р
    {"S", "S", "s"},                       // С
    {"T", "T", "t"},                       // Т
    {"U", "U", "u"},                       // У
    {"F", "F", "f"},                       // Ф
    {"H", "H", "h"},                       // Х
    {"C", "C", "c"},                       // Ц
    {"\xC8", "\xC8", "\xE8"},              // Ч  Č
    {"\x8A", "\x8A", "\x9A"},              // Ш  Š
    {"\x8A\xE8", "\x8A\xC8", "\x9A\xE8"},  // Щ  Šč
    {"\"", "\"", "\""},                    // Ъ  the double prime
    {"Y", "Y", "y"},                       // Ы
    {"'", "'", "'"},                       // Ь  the prime
    {"E", "E", "e"},                       // Э  (È)
    {"Ju", "JU", "ju"},                    // Ю
    {"Ja", "JA", "ja"},                    // Я
};

// Letters of the older and the Ukrainian alphabets, in capital and small pairs.
struct Pair {
  char32_t capital;
  Spelling spelling;
};
constexpr Pair kOtherLetters[] = {
    {0x0462, {"\xCC", "\xCC", "\xEC"}},  // Ѣ  Ě
    {0x0466, {"\xCA", "\xCA", "\xEA"}},  // Ѧ  Ę
    {0x046A, {"O", "O", "o"}},           // Ѫ  (Ǫ)
    {0x0472, {"F", "F", "f"}},           // Ѳ
    {0x0474, {"\xDD", "\xDD", "\xFD"}},  // Ѵ  Ý
    {0x0490, {"G", "G", "g"}},           // Ґ
};

// The spelling of `c`, and whether `c` is the capital.
const Spelling* Find(char32_t c, bool& capital) {
  if (c >= 0x0400 && c <= 0x042F) {
    capital = true;
    return &kSpellings[c - 0x0400];
  }
  if (c >= 0x0430 && c <= 0x044F) {
    capital = false;
    return &kSpellings[c - 0x0430 + 0x10];
  }
  if (c >= 0x0450 && c <= 0x045F) {
    capital = false;
    return &kSpellings[c - 0x0450];
  }
  for (const Pair& pair : kOtherLetters) {
    if (c == pair.capital || c == pair.capital + 1) {
      capital = c == pair.capital;
      return &pair.spelling;
    }
  }
  return nullptr;
}

bool IsCapital(char32_t c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 0xC0 && c <= 0xDE) return c != 0xD7;
  if (c >= 0x0100 && c <= 0x017F) {
    // Latin Extended-A pairs its capitals with the small letter after them, in two runs that
    // start on an even and on an odd code.
    const bool oddRun = (c >= 0x0139 && c <= 0x0148) || c >= 0x0179;
    return (c % 2 == 1) == oddRun;
  }
  bool capital = false;
  return Find(c, capital) != nullptr && capital;
}

bool IsLetter(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xC0 && c <= 0x024F) return c != 0xD7 && c != 0xF7;
  return IsCyrillicLetter(c);
}

}  // namespace

bool IsCyrillicLetter(char32_t c) {
  bool capital = false;
  return Find(c, capital) != nullptr;
}

void AppendCyrillicInLatin(std::u32string_view text, std::size_t at, ByteString& out) {
  bool capital = false;
  const Spelling* spelling = Find(text[at], capital);
  if (spelling == nullptr) {
    out.push_back('?');
    return;
  }
  if (!capital) {
    out.append(spelling->small);
    return;
  }
  // The next letter decides; at the end of a word, the letter before it.
  bool amongCapitals = false;
  if (at + 1 < text.size() && IsLetter(text[at + 1])) {
    amongCapitals = IsCapital(text[at + 1]);
  } else if (at > 0 && IsLetter(text[at - 1])) {
    amongCapitals = IsCapital(text[at - 1]);
  }
  out.append(amongCapitals ? spelling->allCapital : spelling->capital);
}

}  // namespace marvek
