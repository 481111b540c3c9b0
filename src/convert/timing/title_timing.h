#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "convert/timing/frame_retiming.h"
#include "convert/timing/timing_report.h"

namespace marvek {

// What happens to a title's frames between the file and the display's clock, in this order:
// retimed from the file's frame rate to the display's, moved by the shift, then kept within
// the film: a title that ends at or before frame 0 is left out, and one that starts before
// frame 0 starts at 0.
class TitleTiming {
 public:
  enum class Outcome {
    Kept,        // frames retimed and shifted, nothing lost
    StartMoved,  // it started before frame 0 and now starts there, shorter by as much
    LeftOut,     // it ends at or before frame 0: nothing of it is shown
  };

  // `withinFilm` asks for the film's start rule without a shift (a file of negative frames);
  // any shift but 0 brings the rule with it, since a shift can move titles before the film.
  TitleTiming(std::optional<FrameRetiming> retiming, std::int64_t shift, bool withinFilm = false)
      : retiming_(retiming), shift_(shift), withinFilm_(withinFilm || shift != 0) {}

  // Retimes from a rate learnt while reading (a brace file's frame-rate line), for the titles
  // that follow.
  void Retime(const FrameRetiming& retiming) { retiming_ = retiming; }
  bool retimes() const { return retiming_.has_value(); }
  // Whether the frames are changed at all; when not, titles need not pass through Apply().
  bool active() const { return retiming_ || shift_ != 0 || withinFilm_; }

  Outcome Apply(std::int64_t& start, std::int64_t& end);

  std::size_t leftOut() const { return leftOut_; }
  std::size_t startsMoved() const { return startsMoved_; }

 private:
  std::optional<FrameRetiming> retiming_;
  std::int64_t shift_ = 0;
  bool withinFilm_ = false;
  std::size_t leftOut_ = 0;
  std::size_t startsMoved_ = 0;
};

// The timing of the titles of a file read in `layout`, with the report begun: a brace file whose
// rate is given and differs from the display's is retimed; every layout takes the shift. Rates
// that are no usable rate count as not given.
TitleTiming StartTiming(TitleLayout layout, const std::optional<FrameRate>& displayRate,
                        const std::optional<FrameRate>& fileRate, std::int64_t shift,
                        TimingReport& report);

// A brace file's frame-rate line gives the file's rate: the titles from there on are retimed to
// the display's rate, unless a rate was given with the options, which wins. True when `timing`
// now retimes: a record builder that did not pass titles through it must start to.
bool UseFrameRateLine(const FrameRate& rate, TitleTiming& timing, TimingReport& report);

// Copies what the timing did into the report, once the titles are through.
void FinishTiming(const TitleTiming& timing, TimingReport& report);

}  // namespace marvek
