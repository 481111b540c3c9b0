#pragma once

#include <optional>

#include "convert/records/conversion_result.h"
#include "convert/sources/title_input.h"
#include "shared/operator_panel.h"

namespace marvek {

// The titles of a film, or of a text in one of the formats FFmpeg reads, through FFmpeg: the
// last reader asked, for every file no other reader claims. nullopt when FFmpeg does not know
// the file after all (or it is a text too large to read whole): its lines are read then, and
// refused as a brace file's when they hold no title.
std::optional<ConversionResult> ConvertThroughFfmpeg(const TitleInput& input, CharMode mode,
                                                     OperatorPanel& panel,
                                                     const ConversionOptions& options);

}  // namespace marvek
