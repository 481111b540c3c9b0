#include "convert/frame_rate.h"

#include <cstddef>

namespace marvek {
namespace {

constexpr std::int64_t kLargestRate = 1000;  // frames a second
constexpr int kLargestRateDecimals = 6;

}  // namespace

std::optional<FrameRate> ParseFrameRate(std::string_view text) {
  FrameRate rate;
  std::size_t i = 0;
  int decimals = 0;
  bool point = false;
  bool digits = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    if (point && ++decimals > kLargestRateDecimals) return std::nullopt;
    digits = true;
    rate.numerator = rate.numerator * 10 + (c - '0');
    if (point) rate.denominator *= 10;
    if (rate.numerator > kLargestRate * 1'000'000) return std::nullopt;
  }
  if (!digits || rate.numerator == 0 || rate.numerator > kLargestRate * rate.denominator) {
    return std::nullopt;
  }
  return rate;
}

std::string FrameRateText(const FrameRate& rate) {
  if (rate.denominator <= 0) return "?";
  std::string text = std::to_string(rate.numerator / rate.denominator);
  std::int64_t rest = rate.numerator % rate.denominator;
  if (rest == 0) return text;
  text += '.';
  // Six decimals at most, as many as a rate is read with.
  for (int i = 0; i < kLargestRateDecimals && rest != 0; ++i) {
    rest *= 10;
    text += static_cast<char>('0' + rest / rate.denominator);
    rest %= rate.denominator;
  }
  return text;
}

std::int64_t FrameAt(std::int64_t milliseconds, const FrameRate& rate) {
  // floor(ms × rate / 1000 + 1/2), in whole numbers: halves round up, exactly.
  const std::int64_t per = 2 * 1000 * rate.denominator;
  return (2 * milliseconds * rate.numerator + 1000 * rate.denominator) / per;
}

}  // namespace marvek
