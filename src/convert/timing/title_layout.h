#pragma once

namespace marvek {

// The layouts a title file is read in, told from its first lines.
enum class TitleLayout {
  Braces,  // {start}{end}text, frames of the film
  SubRip,  // numbered titles with times to the millisecond
  Mpl2,    // [start][end]text, times in tenths of a second
  Timed,   // a source read whole into timed events (DCP subtitles, ASS, WebVTT, a film's track)
};

}  // namespace marvek
