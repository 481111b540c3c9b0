#include "convert/timing/frame_rate.h"

#include <cstddef>

namespace marvek {
namespace {

constexpr std::int64_t kLargestRate = 1000;  // frames a second
constexpr int kLargestRateDecimals = 6;

// A rate's numerator times a million may pass 2^63.
__extension__ typedef __int128 Wide;

// "24000/1001": whole numbers of at most nine digits on either side of the stroke.
std::optional<FrameRate> ParseFraction(std::string_view text, std::size_t slash) {
  const auto whole = [](std::string_view digits, std::int64_t& value) {
    if (digits.empty() || digits.size() > 9) return false;
    value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return true;
  };
  FrameRate rate;
  if (!whole(text.substr(0, slash), rate.numerator) ||
      !whole(text.substr(slash + 1), rate.denominator) || !IsUsableFrameRate(rate)) {
    return std::nullopt;
  }
  return rate;
}

}  // namespace

std::optional<FrameRate> ParseFrameRate(std::string_view text) {
  if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
    return ParseFraction(text, slash);
  }
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

bool IsUsableFrameRate(const FrameRate& rate) {
  return rate.denominator >= 1 && rate.denominator <= 1'000'000 && rate.numerator > 0 &&
         rate.numerator <= kLargestRate * rate.denominator;
}

std::string FrameRateText(const FrameRate& rate) {
  if (rate.denominator <= 0 || rate.numerator < 0) return "?";
  // The decimals of a rate read from text are the zeros of its denominator.
  int decimals = 0;
  std::int64_t power = 1;
  while (power < rate.denominator && decimals < kLargestRateDecimals) {
    power *= 10;
    ++decimals;
  }
  std::int64_t scaled = rate.numerator;
  bool trim = false;
  if (power != rate.denominator) {
    // Another fraction, a film's own (24000/1001): rounded to three decimals as films are spoken
    // of (23.976, 29.97), trailing zeros dropped.
    decimals = 3;
    power = 1'000;
    scaled = static_cast<std::int64_t>(
        (static_cast<Wide>(rate.numerator) * 2 * power + rate.denominator) /
        (2 * static_cast<Wide>(rate.denominator)));
    trim = true;
  }
  std::string text = std::to_string(scaled / power);
  if (decimals > 0) {
    std::string fraction = std::to_string(scaled % power);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    if (trim) {
      while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    }
    if (!fraction.empty()) text += "." + fraction;
  }
  return text;
}

std::int64_t FrameAt(std::int64_t milliseconds, const FrameRate& rate) {
  // floor(ms × rate / 1000 + 1/2), in whole numbers: halves round up, exactly.
  const std::int64_t per = 2 * 1000 * rate.denominator;
  return (2 * milliseconds * rate.numerator + 1000 * rate.denominator) / per;
}

}  // namespace marvek
