#pragma once

#include <optional>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// One title line cut into its two frame fields and its text. The fields are passed on as they
// stand; reading them as numbers is the conversion's job.
struct TitleLine {
  ByteString start, end, text;
};

// Cuts a line (without its line end) at the first "{", "}", "{", "}" in turn. The text is all
// that follows, less every formatting code ("{", a letter, ":", anything but "}", "}") wherever it
// stands. Returns nullopt when one of the four braces is missing.
std::optional<TitleLine> ParseTitleLine(std::string_view line);

// The same cut without copying: the three parts point into `line`, and the text is everything
// after the second field, formatting codes included.
struct TitleLineView {
  std::string_view start, end, text;
};
std::optional<TitleLineView> ScanTitleLine(std::string_view line);

}  // namespace marvek
