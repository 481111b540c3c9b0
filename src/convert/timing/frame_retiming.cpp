#include "convert/timing/frame_retiming.h"

#include <limits>
#include <numeric>

namespace marvek {
namespace {

// Products of a frame and a rate's parts reach 2^100; the compilers' 128-bit integers hold them.
__extension__ typedef __int128 Wide;

// floor(numerator ÷ denominator) for a positive denominator; C++ division truncates toward 0.
template <typename Int>
Int FloorDivide(Int numerator, Int denominator) {
  const Int quotient = numerator / denominator;
  return numerator % denominator < 0 ? quotient - 1 : quotient;
}

}  // namespace

bool SameFrameRate(const FrameRate& a, const FrameRate& b) {
  // Numerators up to 10^9 and denominators up to 10^6: the products fit.
  return a.numerator * b.denominator == b.numerator * a.denominator;
}

FrameRetiming::FrameRetiming(const FrameRate& file, const FrameRate& display)
    : multiplier_(display.numerator * file.denominator),
      divisor_(display.denominator * file.numerator) {
  if (multiplier_ <= 0 || divisor_ <= 0) {
    // Not a rate at all (a zero or negative part): frames stay as they are.
    multiplier_ = divisor_ = 1;
  }
  const std::int64_t common = std::gcd(multiplier_, divisor_);
  if (common > 1) {
    multiplier_ /= common;
    divisor_ /= common;
  }
  // 2 × |f| × multiplier + divisor must stay below 2^63.
  const std::int64_t room = std::numeric_limits<std::int64_t>::max() / 4;
  fastLimit_ = divisor_ > room ? 0 : (room - divisor_) / multiplier_;
}

std::int64_t FrameRetiming::operator()(std::int64_t frame) const {
  // floor(f × m ÷ d + 1/2) = floor((2 × f × m + d) ÷ (2 × d)).
  if (frame >= -fastLimit_ && frame <= fastLimit_) {
    return FloorDivide(2 * frame * multiplier_ + divisor_, 2 * divisor_);
  }
  const Wide exact = FloorDivide<Wide>(2 * static_cast<Wide>(frame) * multiplier_ + divisor_,
                                       2 * static_cast<Wide>(divisor_));
  constexpr auto kLargest = std::numeric_limits<std::int64_t>::max();
  constexpr auto kSmallest = std::numeric_limits<std::int64_t>::min();
  // Beyond any frame a title file can hold; kept in range rather than wrapped.
  if (exact > kLargest) return kLargest;
  if (exact < kSmallest) return kSmallest;
  return static_cast<std::int64_t>(exact);
}

}  // namespace marvek
