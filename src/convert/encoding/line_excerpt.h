#pragma once

#include <string>
#include <string_view>

#include "convert/encoding/text_encoding.h"

namespace marvek {

// The start of a line, as a refusal quotes it: at most `characters` characters, in UTF-8, read in
// the file's `encoding` (UTF-8 for a UTF-16 file, whose lines arrive decoded), with "..." when
// the line goes on. Control characters, and bytes that stand for no character, are shown as
// \xNN, so that a tab or a stray byte can be seen.
std::string LineExcerpt(std::string_view line, TextEncoding encoding, std::size_t characters = 40);

// A field as it stood, in quotes and cut short after 24 bytes, so that a runaway field cannot
// flood the status list.
std::string QuotedField(std::string_view field);

}  // namespace marvek
