#pragma once

#include <cstdint>
#include <string>

namespace marvek {

// What became of a title on its way to the display: any of these at once, one byte a title.
enum class TitleNote : std::uint8_t {
  None = 0,
  WaitedForOverlap = 1,  // it started later than its file said: the one before still showed
  Shortened = 2,         // it lost time for the same reason
  Mended = 4,            // repair mended its line
  SplitOverGap = 8,      // an empty record that bridges a gap too long for one record
  Continued = 16,        // a further record of a title too long for one record
};

constexpr TitleNote operator|(TitleNote a, TitleNote b) {
  return static_cast<TitleNote>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool Has(TitleNote notes, TitleNote one) {
  return (static_cast<std::uint8_t>(notes) & static_cast<std::uint8_t>(one)) != 0;
}

// The notes in words, as the titles table shows them ("waited for an overlap, shortened");
// empty for None.
std::string TitleNoteWords(TitleNote notes);

}  // namespace marvek
