#pragma once

#include <cstdint>

#include "convert/timing/frame_rate.h"

namespace marvek {

// Whether two rates are the same number of frames a second, however they are written ("25" and
// "25.000" are).
bool SameFrameRate(const FrameRate& a, const FrameRate& b);

// Turns frame numbers counted at a file's frame rate into frames of the display's: frame f
// becomes the nearest whole frame of f × display ÷ file, a half frame going to the later one.
// The arithmetic is exact on the rates' fractions, so a frame falls the same way whatever the
// size of the numbers; negative frames (a file that starts before the film) round the same way.
class FrameRetiming {
 public:
  FrameRetiming(const FrameRate& file, const FrameRate& display);

  std::int64_t operator()(std::int64_t frame) const;

 private:
  // f × display ÷ file is f × multiplier_ ÷ divisor_, the fraction in lowest terms.
  std::int64_t multiplier_ = 1;
  std::int64_t divisor_ = 1;
  // The largest frame, either side of 0, whose products fit in 64 bits; larger ones take 128.
  std::int64_t fastLimit_ = 0;
};

}  // namespace marvek
