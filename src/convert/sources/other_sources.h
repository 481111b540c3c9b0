#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/records/conversion_result.h"
#include "shared/operator_panel.h"

namespace marvek {

// The sources beyond the brace layout, SubRip and MPL2: ASS/SSA and WebVTT by our own readers,
// films and the other text formats through FFmpeg. Our line readers claim a file first, by its
// first lines; nullopt leaves the file to them (and to their refusal when nothing claims it).
std::optional<ConversionResult> ConvertOtherTitleFile(const std::string& path, int fd,
                                                      std::size_t length, CharMode mode,
                                                      OperatorPanel& panel,
                                                      const ConversionOptions& options);

// The same for file contents already in memory.
std::optional<ConversionResult> ConvertOtherTitleBytes(std::string_view bytes, CharMode mode,
                                                       OperatorPanel& panel,
                                                       const ConversionOptions& options);

// The contents of a text file in `encoding` as UTF-8, without a byte order mark.
std::string TextAsUtf8(std::string_view bytes, TextEncoding encoding);

}  // namespace marvek
