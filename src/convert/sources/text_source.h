#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/records/conversion_result.h"
#include "convert/sources/timed_event.h"
#include "convert/sources/title_input.h"
#include "shared/operator_panel.h"

namespace marvek {

// Text title files are small; a larger file that is no film is left to the line readers, which
// read it in pieces.
inline constexpr std::size_t kLargestTextSource = 64 * 1024 * 1024;

// UTF-16 `bytes` (their byte order mark already left out) decoded to UTF-8.
std::string Utf16AsUtf8(std::string_view bytes, TextEncoding encoding);

// The contents of a text file in `encoding` as UTF-8, without a byte order mark.
std::string TextAsUtf8(std::string_view bytes, TextEncoding encoding);

// The encoding the options give, or the one a byte order mark or the bytes tell.
TextEncoding EncodingOf(std::string_view bytes, const ConversionOptions& options);

// Films hold bytes of zero near their start, text files never do; UTF-16 text has a mark.
bool LooksLikeFilm(std::string_view head);

// Whether `input` is a text that a reader of whole documents may read whole: no folder, no film,
// and no file larger than text title files are.
bool IsWholeText(const TitleInput& input);

// The whole of `input`'s contents: the bytes in memory, or the file read into `storage`. nullopt
// with the reason in `why` when the file cannot be read.
std::optional<std::string_view> WholeInput(const TitleInput& input, std::size_t limit,
                                           std::string& storage, std::string& why);

// An Unreadable result with the reason `why`.
ConversionResult UnreadableBecause(std::string why);

// Reads `input` whole as text in its encoding, through `read`, and converts what it gives: the
// readers of ASS and WebVTT.
ConversionResult ConvertWholeText(const TitleInput& input, TimedSource (*read)(std::string_view),
                                  CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options);

}  // namespace marvek
