#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marvek {

// A film's frame rate held as an exact fraction (23.976 is 23976/1000), so that a time falls on
// the same frame however the rate is written and a half frame always rounds the same way.
struct FrameRate {
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;
};

// Reads a rate such as "25", "23.976" or "29.97": above 0, at most 1000 frames a second, at
// most six decimals; or a film's exact rate as a fraction, "24000/1001". nullopt for anything
// else.
std::optional<FrameRate> ParseFrameRate(std::string_view text);

// Whether `rate` is one that ParseFrameRate could give: above 0, at most 1000, denominator 1 to
// 10^6. Other values (a rate left at its zero default) count as no rate at all.
bool IsUsableFrameRate(const FrameRate& rate);

// The rate as it was written: "25", "23.976", "29.97" ("25.0" stays "25.0"). A rate that is not
// a decimal fraction (a film's 24000/1001) shows to three decimals at most: "23.976".
std::string FrameRateText(const FrameRate& rate);

// The frame nearest to `milliseconds` (0 to 999 hours) at `rate`; a time half-way between two
// frames takes the later one.
std::int64_t FrameAt(std::int64_t milliseconds, const FrameRate& rate);

}  // namespace marvek
