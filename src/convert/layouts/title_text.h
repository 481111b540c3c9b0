#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "convert/timing/frame_rate.h"
#include "shared/types.h"

namespace marvek {

// What is done to the text of a title line before it becomes a record. Each function returns a
// view of `text` itself when that is enough, and otherwise of `buffer`, which it fills.

// The text less every formatting code ("{", an ASCII letter, ":", anything but "}", "}"),
// wherever it stands: {y:i}Hello and Senator|{y:i}our give Hello and Senator|our. Nothing else
// goes; {b} is no code and stays.
std::string_view RemoveFormattingCodes(std::string_view text, ByteString& buffer);

// Where a second title runs on inside a text, as in "SUBHEAVEN.ORG{60825}{60900}Best": the
// offset of its "{", its two frames and the length of its two fields.
struct RunOnTitle {
  std::size_t at = 0;
  std::size_t length = 0;  // of "{60825}{60900}"
  std::int64_t start = 0;
  std::int64_t end = 0;
};
// The first title running on in `text`: two fields of 1 to 10 digits, each a frame number.
std::optional<RunOnTitle> FindRunOnTitle(std::string_view text);

// True when a line of the title (the start of the text, or after a "|") begins with "/", the
// italic mark of many title files.
bool HasSlashAtLineStart(std::string_view text);
// The text without that "/" at the start of each line of the title.
std::string_view RemoveSlashesAtLineStart(std::string_view text, ByteString& buffer);

// The rate that the text of a frame-rate line gives, such as "23.976" or the damaged "}25":
// without its braces and the blanks around it, a number from 1 to 200. nullopt for any other text.
std::optional<FrameRate> FrameRateOfText(std::string_view text);

}  // namespace marvek
