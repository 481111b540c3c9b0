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

// Cuts a line (without its line end) at the first "{", "}", "{", "}" in turn, then drops the text
// up to and including its first "}" (a formatting code such as {y:i}). Returns nullopt when one of
// the four braces is missing.
std::optional<TitleLine> ParseTitleLine(std::string_view line);

// The same scan without copying: the three parts point into `line`.
struct TitleLineView {
  std::string_view start, end, text;
};
std::optional<TitleLineView> ScanTitleLine(std::string_view line);

}  // namespace marvek
