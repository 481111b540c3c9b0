#include "convert/timing/title_timing.h"

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

// The retiming from `report`'s file rate to its display rate, when both are known and differ.
std::optional<FrameRetiming> RetimingOf(TimingReport& report) {
  report.retimed = report.layout == TitleLayout::Braces && report.fileRate && report.displayRate &&
                   !SameFrameRate(*report.fileRate, *report.displayRate);
  if (!report.retimed) return std::nullopt;
  return FrameRetiming(*report.fileRate, *report.displayRate);
}

std::optional<FrameRate> Usable(const std::optional<FrameRate>& rate) {
  return rate && IsUsableFrameRate(*rate) ? rate : std::nullopt;
}

}  // namespace

TitleTiming StartTiming(TitleLayout layout, const std::optional<FrameRate>& displayRate,
                        const std::optional<FrameRate>& fileRate, std::int64_t shift,
                        TimingReport& report) {
  report = TimingReport{};
  report.layout = layout;
  report.displayRate = Usable(displayRate);
  // Times of SubRip and MPL2 files are seconds: a frame rate of the file means nothing to them.
  if (layout == TitleLayout::Braces) report.fileRate = Usable(fileRate);
  if (report.fileRate) report.fileRateFrom = FileRateSource::Option;
  report.shift = shift;
  return TitleTiming(RetimingOf(report), shift);
}

bool UseFrameRateLine(const FrameRate& rate, TitleTiming& timing, TimingReport& report) {
  if (report.layout != TitleLayout::Braces || report.fileRateFrom == FileRateSource::Option ||
      !IsUsableFrameRate(rate)) {
    return false;
  }
  report.fileRate = rate;
  report.fileRateFrom = FileRateSource::FrameRateLine;
  const auto retiming = RetimingOf(report);
  if (retiming) timing.Retime(*retiming);
  return retiming.has_value();
}

void FinishTiming(const TitleTiming& timing, TimingReport& report) {
  report.leftOut = timing.leftOut();
  report.startsMoved = timing.startsMoved();
}

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
