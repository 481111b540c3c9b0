#include "convert/letters/windows1250_transcoder.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "convert/letters/cyrillic_latin.h"
#include "convert/letters/latin_base_letters.h"

namespace marvek {
namespace {

// ISO-8859-2 to Windows-1250, byte for byte: the two share every letter, at other places. The
// controls 0x80 to 0x9F have no byte in Windows-1250 and become "?".
std::array<char, 256> MakeIso8859_2Table() {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const char32_t c = SingleByteCharacter(TextEncoding::Iso8859_2, static_cast<unsigned char>(b));
    const unsigned char to = c < 0x80 ? static_cast<unsigned char>(c) : UnicodeToWindows1250(c);
    table[b] = static_cast<char>(to == 0 && c != 0 ? '?' : to);
  }
  return table;
}

const std::array<char, 256> kIso8859_2ToWindows1250 = MakeIso8859_2Table();

bool HasHighByte(std::string_view text) {
  const auto p = reinterpret_cast<const unsigned char*>(text.data());
  return SkipAscii(p, p + text.size()) != p + text.size();
}

}  // namespace

bool AppendCharactersAsWindows1250(std::u32string_view characters, ByteString& out) {
  bool cyrillic = false;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const char32_t c = characters[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (const unsigned char byte = UnicodeToWindows1250(c); byte != 0) {
      out.push_back(static_cast<char>(byte));
    } else if (IsCyrillicLetter(c)) {
      AppendCyrillicInLatin(characters, i, out);
      cyrillic = true;
    } else if (const char* base = LatinBaseLetters(c); base != nullptr) {
      out.append(base);
    } else {
      out.push_back('?');
    }
  }
  return cyrillic;
}

std::string_view Windows1250Transcoder::TranscodeOther(std::string_view text) {
  // ASCII is the same in every encoding read here, and most titles hold little else.
  if (!HasHighByte(text)) return text;
  out_.clear();
  if (encoding_ == TextEncoding::Iso8859_2) {
    for (const char c : text)
      out_.push_back(kIso8859_2ToWindows1250[static_cast<unsigned char>(c)]);
    return out_;
  }
  characters_.clear();
  if (encoding_ == TextEncoding::Windows1251 || encoding_ == TextEncoding::Windows1252) {
    for (const char c : text) {
      const char32_t u = SingleByteCharacter(encoding_, static_cast<unsigned char>(c));
      // A byte that stands for nothing (0x98 in Windows-1251, five in Windows-1252) becomes "?".
      characters_.push_back(u == 0 && c != 0 ? kMalformedUtf8 : u);
    }
  } else {
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    const auto end = p + text.size();
    while (p != end) characters_.push_back(DecodeUtf8(p, end));
  }
  wroteCyrillic_ |= AppendCharactersAsWindows1250(characters_, out_);
  return out_;
}

void AppendUtf8AsWindows1250(std::string_view utf8, ByteString& out) {
  std::u32string characters;
  auto p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto end = p + utf8.size();
  while (p != end) characters.push_back(DecodeUtf8(p, end));
  AppendCharactersAsWindows1250(characters, out);
}

}  // namespace marvek
