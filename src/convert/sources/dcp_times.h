#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "convert/sources/timed_event.h"
#include "convert/timing/frame_rate.h"

namespace marvek {

// An Interop DCP time: "00:01:02:125" in ticks of 4 ms (250 a second), or "00:01:02.500" with a
// decimal fraction of a second. nullopt for anything else.
std::optional<SourceTime> ParseInteropTime(std::string_view text);

// A SMPTE DCP time, "00:01:02:12", its last field in units of 1/`timeCodeRate` of a second.
// nullopt for anything else.
std::optional<SourceTime> ParseSmpteTime(std::string_view text, std::int64_t timeCodeRate);

// A DCP's edit rate, "24 1" or "24000 1001", when it is a usable frame rate.
std::optional<FrameRate> ParseEditRate(std::string_view text);

// A whole number of 1 to 10 digits, spaces around it allowed, as DCP durations are written.
std::optional<std::int64_t> ParseCount(std::string_view text);

// `a` + `b` and `a` - `b`, exact, in the units of the two together; to the nearest nanosecond
// where those would be finer.
SourceTime AddTimes(const SourceTime& a, const SourceTime& b);
SourceTime SubtractTimes(const SourceTime& a, const SourceTime& b);

// `units` edit units at `rate`, as a time.
SourceTime EditUnits(std::int64_t units, const FrameRate& rate);

}  // namespace marvek
