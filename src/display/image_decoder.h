#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/types.h"

// The display's side of the title image: what it reads back from the bytes it stored. Shared by
// the simulator, the command line's --show and the tests that check an image.
namespace marvek {

// One title as the display plays it.
struct DecodedTitle {
  // Frames on the display's clock: the title shows from `start` until `end`.
  std::int64_t start = 0;
  std::int64_t end = 0;
  ByteString text;   // the record's text bytes as stored
  std::string utf8;  // the text as the display shows it, printable
};

struct DecodedImage {
  std::vector<DecodedTitle> titles;
  std::size_t fillLength = 0;         // bytes after the last record
  std::size_t imageLength = 0;        // every byte of the image
  bool fillIsAllFF = true;            // false when the bytes after the last record are not all 0xFF
  std::vector<std::string> problems;  // one sentence each, empty for a well-formed image

  bool ok() const { return problems.empty(); }
};

// Reads the records of a title image and checks its fill and length. Takes any bytes: whatever
// cannot be read as records is reported in `problems`.
DecodedImage DecodeTitleImage(std::string_view image);

// One line a title ("  1  100 -> 250  čaša"), then the fill and length with OK or the problems.
std::string DescribeImage(const DecodedImage& image);

// The text of a record as the display shows it, as UTF-8: the display's own letter codes first,
// every other byte in Windows-1250; "?" for a byte with no letter, \xNN for control bytes.
std::string DisplayText(std::string_view text);

}  // namespace marvek
