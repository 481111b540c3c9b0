#pragma once

#include <optional>
#include <string_view>

namespace marvek {

// A brace title line cut into its two frame fields and its text, without copying: the three
// parts point into the line, and the text is everything after the second field, formatting codes
// included.
struct TitleLineView {
  std::string_view start, end, text;
};

// Cuts a line (without its line end) at the first "{", "}", "{", "}" in turn. nullopt when one of
// the four braces is missing.
std::optional<TitleLineView> ScanTitleLine(std::string_view line);

}  // namespace marvek
