#pragma once

// The conversion's published face: what programs outside the conversion call to turn a title
// file into the display's image, and what they get back. Keep its names and signatures; add
// freely. ConversionResult and ConversionOptions come with it from records/conversion_result.h,
// the record format (kRecordTerminator, kFillByte, the largest counts, EncodeFrameCount,
// PadTitleImage, DisplayClock) from records/record_format.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/records/conversion_result.h"
#include "convert/records/record_format.h"
#include "shared/operator_panel.h"
#include "shared/record_format.h"
#include "shared/types.h"

namespace marvek {

// Reads the title file at `path` and builds its records, reporting progress after every line.
// The file is closed before this returns, whatever the outcome.
ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options = {});

// The same conversion of file contents already in memory.
ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options = {});

}  // namespace marvek
