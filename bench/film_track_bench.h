#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace marvek::bench {

// Reading the title track of a two-hour film the bench makes with the ffmpeg program (kept in
// `folder` for the next run), against reading the whole file once with cat: the track's reader
// must skip the video, not read it. Rows that say why when there is no ffmpeg program or the
// build has no FFmpeg readers.
std::vector<Row> FilmTrackRows(const std::string& folder, int runs);

}  // namespace marvek::bench
