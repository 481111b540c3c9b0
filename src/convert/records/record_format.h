#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "shared/block_size.h"
#include "shared/record_format.h"
#include "shared/types.h"

namespace marvek {

// The record itself (terminator, fill byte, largest count) is in shared/record_format.h, which the
// display's reading shares; here is what only the conversion needs to write records.
inline constexpr std::int64_t kLargestFrameNumber = 2147483647;
// A gap longer than kLargestFrameCount is bridged by empty records of at most this many frames,
// so that no record added for it begins with the fill byte 0xFF.
inline constexpr std::int64_t kLargestBridgeGap = 0xFEFF;
// A title longer than kLargestFrameCount is sent as several records of its text. Their bytes
// together may not pass this, so that one line cannot make the image grow without bound (a title
// of 600 letters lasting two billion frames would need 20 MB).
inline constexpr std::size_t kLargestRepeatedTitle = 4 * 1024 * 1024;

// A frame count of 0 to 65535 as two bytes, most significant first. Inline: two of them go into
// every record.
inline std::array<char, 2> EncodeFrameCount(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

// Published interface, through convert/title_image.h: appends 16 - (length mod 16) bytes of 0xFF,
// at least one, at most sixteen.
void PadTitleImage(ByteString& image);

// Where one title goes on the display's clock. The display shows titles one after another, so
// a title that starts before the previous one has ended waits for it: it follows with no gap
// and keeps only the part of its time that is left.
class DisplayClock {
 public:
  struct Placement {
    std::int64_t gap;       // frames between the previous title's end and this one's start
    std::int64_t duration;  // frames this title stays on
  };
  // Where the title goes, the clock left as it is: the caller may still shorten the title.
  Placement Plan(std::int64_t start, std::int64_t end) const {
    const std::int64_t shownFrom = std::max(start, previousEnd_);
    return {shownFrom - previousEnd_, std::max<std::int64_t>(0, end - shownFrom)};
  }
  // Moves the clock to the end of a title placed as `placement`.
  void Advance(const Placement& placement) { previousEnd_ += placement.gap + placement.duration; }
  std::int64_t previousEnd() const { return previousEnd_; }

 private:
  std::int64_t previousEnd_ = 0;
};

}  // namespace marvek
