#include "convert/char_mode.h"

#include <array>
#include <cstdint>

namespace marvek {
namespace {

struct Letter {
  std::uint8_t windows1250;
  std::uint8_t deviceCode;
  char plain[3];  // one or two letters, zero-terminated
};

// The ten letters and what each mode makes of them.
constexpr Letter kLetters[] = {
    {0xC8, 0xE0, "C"},  {0xE8, 0xC0, "c"},   // Č č
    {0xC6, 0xEB, "C"},  {0xE6, 0xE2, "c"},   // Ć ć
    {0x8E, 0xEC, "Z"},  {0x9E, 0xCC, "z"},   // Ž ž
    {0xD0, 0xED, "Dj"}, {0xF0, 0xE9, "dj"},  // Đ đ
    {0x8A, 0xEE, "S"},  {0x9A, 0xEA, "s"},   // Š š
};

// One lookup per incoming byte in either mode.
struct Tables {
  std::array<std::uint8_t, 256> device{};
  std::array<std::array<char, 2>, 256> plain{};
  std::array<std::uint8_t, 256> plainLength{};
};

constexpr Tables MakeTables() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.device[b] = static_cast<std::uint8_t>(b);
    t.plain[b] = {static_cast<char>(b), 0};
    t.plainLength[b] = 1;
  }
  for (const Letter& letter : kLetters) {
    t.device[letter.windows1250] = letter.deviceCode;
    t.plain[letter.windows1250] = {letter.plain[0], letter.plain[1]};
    t.plainLength[letter.windows1250] = letter.plain[1] == 0 ? 1 : 2;
  }
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void AppendCharMode(std::string_view text, CharMode mode, ByteString& out) {
  const std::size_t old = out.size();
  if (mode == CharMode::DeviceCodes) {
    out.resize(old + text.size());
    char* to = out.data() + old;
    for (const char c : text) {
      *to++ = static_cast<char>(kTables.device[static_cast<std::uint8_t>(c)]);
    }
    return;
  }
  // Room for the worst case (every byte a đ or Đ), trimmed to what was written.
  out.resize(old + 2 * text.size());
  char* const begin = out.data() + old;
  char* to = begin;
  for (const char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    const auto& letters = kTables.plain[b];
    to[0] = letters[0];
    to[1] = letters[1];
    to += kTables.plainLength[b];
  }
  out.resize(old + static_cast<std::size_t>(to - begin));
}

ByteString ApplyCharMode(std::string_view text, CharMode mode) {
  ByteString out;
  AppendCharMode(text, mode, out);
  return out;
}

}  // namespace marvek
