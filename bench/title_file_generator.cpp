#include "title_file_generator.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>

namespace marvek::bench {
namespace {

// Common words; those with č ć š ž đ come at about the rate they have in running text.
constexpr std::string_view kWords[] = {
    "ne",
    "je",
    "da",
    "se",
    "i",
    "to",
    "sam",
    "u",
    "na",
    "ti",
    "mi",
    "ja",
    "li",
    "ali",
    "za",
    "kako",
    "ovo",
    "sve",
    "sada",
    "nije",
    "bio",
    "samo",
    "tako",
    "gdje",
    "kad",
    "zato",
    "dobro",
    "hajde",
    "idemo",
    "znam",
    "mislim",
    "moram",
    "reci",
    "molim",
    "vidi",
    "stvarno",
    "nikad",
    "opet",
    "kasnije",
    "jutro",
    "ljudi",
    "vrijeme",
    "gospodine",
    "prijatelj",
    "doma",
    "brate",
    "\x9Ato",
    "ve\xE8"
    "er",
    "ku\xE6"
    "i",
    "\xE8"
    "ekaj",
    "\x9E"
    "ena",
    "gospo\xF0"
    "o",
    "ho\xE6"
    "e\x9A",
    "zna\x9A",
    "\x8Ata",
    "\xC8"
    "ovje\xE8"
    "e",
    "Zbogom",
    "Hvala",
    "O\xE8"
    "e",
    "mo\x9E"
    "da",
    "\xF0"
    "avo",
    "ni\x9Eta",
    "Halo",
    "zapravo",
    "vidimo",
    "sutra",
    "ovdje",
};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

// Writes lines until either limit is reached.
std::size_t Generate(const std::string& path, std::size_t bytes, std::size_t lineLimit,
                     std::uint32_t seed) {
  std::FILE* file = std::fopen(path.c_str(), "wbe");
  if (file == nullptr) return 0;
  std::mt19937 random(seed);
  const auto between = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::string line;
  std::size_t written = 0;
  std::size_t lines = 0;
  long frame = 0;
  while (written < bytes && lines < lineLimit) {
    frame += between(5, 200);
    const long start = frame;
    frame += between(25, 150);
    line.clear();
    line += '{';
    line.append(std::to_string(start)).append("}{");
    line.append(std::to_string(frame)).append("}");
    if (between(0, 19) == 0) line += "{y:i}";
    const int rows = between(1, 2);
    for (int row = 0; row < rows; ++row) {
      if (row > 0) line += '|';
      const int words = between(2, 8);
      for (int w = 0; w < words; ++w) {
        if (w > 0) line += ' ';
        line += kWords[static_cast<std::size_t>(between(0, kWordCount - 1))];
      }
      line += between(0, 3) == 0 ? "?" : ".";
    }
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), file);
    written += line.size();
    ++lines;
    if (frame > 2000000000) frame = 0;
  }
  return std::fclose(file) == 0 ? lines : 0;
}

}  // namespace

std::size_t WriteTitleFile(const std::string& path, std::size_t bytes, std::uint32_t seed) {
  return Generate(path, bytes, SIZE_MAX, seed);
}

std::size_t WriteTitleLines(const std::string& path, std::size_t lines, std::uint32_t seed) {
  return Generate(path, SIZE_MAX, lines, seed);
}

}  // namespace marvek::bench
