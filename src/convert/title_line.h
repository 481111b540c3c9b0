#pragma once

// The conversion's published face for one brace title line: programs outside the conversion call
// ParseTitleLine. Keep its name and signature. The cut without copying, ScanTitleLine, comes with
// it from layouts/brace_fields.h.

#include <optional>
#include <string_view>

#include "convert/layouts/brace_fields.h"
#include "shared/types.h"

namespace marvek {

// One title line cut into its two frame fields and its text. The fields are passed on as they
// stand; reading them as numbers is the conversion's job.
struct TitleLine {
  ByteString start, end, text;
};

// Published interface (nothing in this repository calls it; programs outside it do): cuts a line
// (without its line end) at the first "{", "}", "{", "}" in turn. The text is all that follows,
// less every formatting code ("{", a letter, ":", anything but "}", "}") wherever it stands.
// Returns nullopt when one of the four braces is missing.
std::optional<TitleLine> ParseTitleLine(std::string_view line);

}  // namespace marvek
