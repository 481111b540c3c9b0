#pragma once

#include <string>
#include <vector>

#include "window/titles_view.h"

namespace marvek {

// The summary above the titles, in the lines marvek-upload --check gives of the same file: its
// report (how many titles over which frames, the image's bytes and blocks, the time on the line
// at the speed in the Speed box, `speedText`, what was done with the times), then the command's
// lines of how the file was read and what repair did. Each line once.
std::vector<std::string> TitlesSummary(const TitlesView& view, const std::string& speedText);

}  // namespace marvek
