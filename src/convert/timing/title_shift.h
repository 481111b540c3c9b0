#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/timing/frame_rate.h"

namespace marvek {

// A shift of every title as the operator writes it: whole frames ("-48", "+120") or seconds
// ("-2.5s", "+90s"). Seconds become frames only at the display's frame rate.
struct TitleShift {
  std::int64_t frames = 0;        // the shift in frames, when !inSeconds
  std::int64_t milliseconds = 0;  // the shift in seconds, to the millisecond, when inSeconds
  bool inSeconds = false;
};

// Where a shift's text gets its unit from.
enum class ShiftUnit {
  Frames,   // whole frames, written without a unit (a field with the unit chosen beside it)
  Seconds,  // seconds, written without a unit
  InText,   // the text says: an "s" after the number marks seconds, none marks frames
};

// The largest shift: as many frames as a title file can number, or 999 hours.
inline constexpr std::int64_t kLargestShiftFrames = 2147483647;
inline constexpr std::int64_t kLargestShiftMilliseconds = 999LL * 3600 * 1000;

// Why a shift in seconds cannot be used: the display's frame rate is not known.
inline constexpr const char* kShiftNeedsDisplayRate =
    "a shift in seconds needs the display's frame rate";

// Reads a shift: an optional sign, then digits for frames, or digits with up to three decimals
// for seconds, followed by an "s" when `unit` is InText; blanks around it are ignored. nullopt,
// with the reason in `why`, for anything else.
std::optional<TitleShift> ParseTitleShift(std::string_view text, std::string& why,
                                          ShiftUnit unit = ShiftUnit::InText);

// The shift in whole frames. Seconds take the nearest frame at `displayRate`, a half frame
// going away from 0 so that "-2.5s" moves titles back exactly as far as "+2.5s" moves them on.
// nullopt for seconds without a display rate (kShiftNeedsDisplayRate says why).
std::optional<std::int64_t> ShiftInFrames(const TitleShift& shift,
                                          const std::optional<FrameRate>& displayRate);

}  // namespace marvek
