#pragma once

#include <cstddef>

namespace marvek {

// Bits one block costs on the line: the "L", the 16 image bytes and the display's "R", each a
// start bit, 8 data bits and a stop bit.
inline constexpr double kLineBitsPerBlock = (1 + 16 + 1) * 10;

// Seconds the line needs for `blocks` blocks at `speed` bits per second; 0 for a speed of 0 or
// less. The display's own time to answer comes on top.
inline double LineSeconds(std::size_t blocks, int speed) {
  return speed <= 0 ? 0 : static_cast<double>(blocks) * kLineBitsPerBlock / speed;
}

}  // namespace marvek
