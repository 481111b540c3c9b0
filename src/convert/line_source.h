#pragma once

#include <string>
#include <string_view>

#include "convert/sources/title_input.h"
#include "convert/title_image.h"
#include "convert/title_readers.h"

namespace marvek {

// The result of a title file that cannot be read, with the system's reason for `error`.
ConversionResult Unreadable(int error);

// Why a file that another program wrote or cut while it was read is not converted.
inline constexpr const char* kChangedWhileRead =
    "the file changed while it was read; convert it again once it is saved";

// The start of a file's text as TitleInput::text holds it, from `head`, the file's first bytes
// (a byte order mark and kTitleHeadLength more): in the encoding the options give, or in the
// one its byte order mark announces.
std::string LineText(std::string_view head, const ConversionOptions& options);

// Reads the lines of `input` through `reader`, a line layout's row, in the encoding the options
// give or the file's own. A layout of times is refused without the display's frame rate.
ConversionResult ConvertTitleLines(const TitleInput& input, const TitleReader& reader,
                                   CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options);

}  // namespace marvek
