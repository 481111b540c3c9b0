#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Where each record of a title image lies, without copying its text: for a view of a million
// titles that shows a few dozen at a time and reads the rest only when searched.
namespace marvek {

struct ImageRecord {
  // Frames on the display's clock, as DecodeTitleImage gives them.
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::size_t textOffset = 0;  // where the record's text starts in the image
  std::size_t textLength = 0;  // its bytes, without the terminator
};

// The records of `image`, read as the display reads them, up to the fill. A last part without a
// terminator is no record and is left out; DecodeTitleImage says what is wrong with it.
std::vector<ImageRecord> IndexTitleImage(std::string_view image);

}  // namespace marvek
