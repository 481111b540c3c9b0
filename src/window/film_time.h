#pragma once

#include <cstdint>
#include <string>

#include "convert/timing/frame_rate.h"

namespace marvek {

// `frames` at `rate` as a time of the film, h:mm:ss.ff with hundredths of a second, rounded to
// the nearest hundredth ("0:01:02.50"). Exact: the rate is a fraction, and so is the time.
std::string FilmTime(std::int64_t frames, const FrameRate& rate);

}  // namespace marvek
