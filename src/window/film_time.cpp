#include "window/film_time.h"

#include <cstdio>

namespace marvek {
namespace {

__extension__ using Wide = unsigned __int128;

}  // namespace

std::string FilmTime(std::int64_t frames, const FrameRate& rate) {
  if (rate.numerator <= 0 || rate.denominator <= 0) return {};
  const bool negative = frames < 0;
  // 128 bits: frames × denominator × 200 outgrows 64 bits for frame numbers beyond 2^40.
  const Wide magnitude = negative ? Wide(0) - static_cast<Wide>(frames) : static_cast<Wide>(frames);
  const auto numerator = static_cast<Wide>(rate.numerator);
  // Hundredths of a second, halves rounding up: frames × 100 ÷ rate + 1/2.
  const Wide wide =
      (magnitude * static_cast<Wide>(rate.denominator) * 200 + numerator) / (2 * numerator);
  const auto hundredths = static_cast<unsigned long long>(wide);
  char text[48];
  std::snprintf(text, sizeof text, "%s%llu:%02llu:%02llu.%02llu", negative ? "-" : "",
                hundredths / 360000, hundredths / 6000 % 60, hundredths / 100 % 60,
                hundredths % 100);
  return text;
}

}  // namespace marvek
