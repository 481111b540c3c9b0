#pragma once

#include <string>

#include "display/image_decoder.h"

namespace marvek::cli {

// The titles of a decoded image as a title file in UTF-8, one {start}{end}text line a title, the
// frames on the display's clock and the letters as the display shows them. A text holding "}"
// gets "{}" in front, so that reading the line again gives the same text.
std::string TitlesAsTitleFile(const DecodedImage& image);

}  // namespace marvek::cli
