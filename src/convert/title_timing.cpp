#include "convert/title_timing.h"

#include <limits>

namespace marvek {
namespace {

// frame + shift, held at the ends of 64 bits instead of wrapping. Frames of a title file are far
// from them; a shift given as any number must still not turn a late title into an early one.
std::int64_t Shifted(std::int64_t frame, std::int64_t shift) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(frame, shift, &sum)) return sum;
  return shift > 0 ? std::numeric_limits<std::int64_t>::max()
                   : std::numeric_limits<std::int64_t>::min();
}

}  // namespace

TitleTiming::Outcome TitleTiming::Apply(std::int64_t& start, std::int64_t& end) {
  if (retiming_) {
    start = (*retiming_)(start);
    end = (*retiming_)(end);
  }
  start = Shifted(start, shift_);
  end = Shifted(end, shift_);
  if (!withinFilm_) return Outcome::Kept;
  if (end <= 0) {
    ++leftOut_;
    return Outcome::LeftOut;
  }
  if (start < 0) {
    start = 0;
    ++startsMoved_;
    return Outcome::StartMoved;
  }
  return Outcome::Kept;
}

}  // namespace marvek
