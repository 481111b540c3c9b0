#pragma once

#include <string_view>

#include "convert/sources/timed_event.h"

namespace marvek {

// Whether the start of a file, in UTF-8, is an ASS or SSA script: its first line that is not
// empty is its "[Script Info]" section.
bool LooksLikeAss(std::string_view head);

// The "Dialogue:" events of an ASS or SSA script in UTF-8, with their fields found through the
// [Events] section's "Format:" line. Read here rather than by FFmpeg, whose reader takes the
// digits after the point as hundredths whatever their number and passes "Comment:" events by
// unseen: here ".766" is 0.766 s and comments are counted among what was left out.
TimedSource ReadAss(std::string_view text);

}  // namespace marvek
