#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/timing/frame_rate.h"
#include "convert/timing/title_layout.h"

namespace marvek {

// Where a brace file's own frame rate came from.
enum class FileRateSource {
  None,           // not known: frames go as they stand
  Option,         // given with the conversion's options, over any frame-rate line
  FrameRateLine,  // the file's frame-rate line
};

// What a conversion did with the titles' times, for the status list and the checks.
struct TimingReport {
  TitleLayout layout = TitleLayout::Braces;
  std::optional<FrameRate> displayRate = {};  // the display's frame rate, when given
  std::optional<FrameRate> fileRate = {};     // a brace file's own frame rate, when known
  FileRateSource fileRateFrom = FileRateSource::None;
  bool retimed = false;         // frames turned from fileRate into frames of displayRate
  std::int64_t shift = 0;       // frames added to every title, after retiming
  std::size_t leftOut = 0;      // titles that ended at or before frame 0 after the shift
  std::size_t startsMoved = 0;  // titles that started before frame 0 and start at 0 instead
};

// The status lines that say what was done with the times, in order; none for a brace file read
// as it stands without a shift. "Frames retimed from 23.976 to 25 frames a second.", "Times read
// at 25 frames a second.", "Titles shifted by -48 frames; 2 left out before the film's start."
std::vector<std::string> TimingStatusLines(const TimingReport& report);

// One line saying that a brace file's frames went as they stand although a frame rate was given
// (the file's rate or the display's is not known); empty otherwise.
std::string FramesAsTheyStandLine(const TimingReport& report);

}  // namespace marvek
