#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/records/line_problems.h"

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

enum class FieldError { None, NotNumber, TooLarge };

// A frame field read as a number.
struct FrameField {
  std::int64_t value = 0;  // negative for a field with a minus sign
  FieldError error = FieldError::None;
};

// Decimal digits, after an optional minus sign, with optional spaces or tabs around them.
FrameField ReadFrameNumber(std::string_view field);

// What the strict reading makes of a frame field: None for a number from 0 up, with the words
// of its refusal in `why` (when not null) otherwise. `name` is "start" or "end".
LineFault StrictField(const FrameField& field, std::string_view text, const char* name,
                      std::string* why);

}  // namespace marvek
