#pragma once

#include <string>
#include <vector>

#include "window/titles_view.h"

namespace marvek {

// The summary above the titles: how many and over which frames, the image's bytes and blocks,
// the time the upload takes on the line at the speed in the Speed box (`speedText`), how the
// file was read and what repair and timing did. One sentence a line.
std::vector<std::string> TitlesSummary(const TitlesView& view, const std::string& speedText);

}  // namespace marvek
