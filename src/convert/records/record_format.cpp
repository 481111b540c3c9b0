#include "convert/records/record_format.h"

#include <algorithm>

namespace marvek {

DisplayClock::Placement DisplayClock::Plan(std::int64_t start, std::int64_t end) const {
  const std::int64_t shownFrom = std::max(start, previousEnd_);
  return {shownFrom - previousEnd_, std::max<std::int64_t>(0, end - shownFrom)};
}

std::array<char, 2> EncodeFrameCount(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

void PadTitleImage(ByteString& image) {
  image.append(kBlockSize - image.size() % kBlockSize, kFillByte);
}

}  // namespace marvek
