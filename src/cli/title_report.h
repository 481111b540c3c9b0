#pragma once

#include <cstddef>
#include <string>

#include "convert/timing/timing_report.h"
#include "display/image_decoder.h"

namespace marvek::cli {

// The titles of a decoded image as a title file in UTF-8, one {start}{end}text line a title, the
// frames on the display's clock and the letters as the display shows them. A text holding "}"
// gets "{}" in front, so that reading the line again gives the same text.
std::string TitlesAsTitleFile(const DecodedImage& image);

// What --check reports: the number of titles, the image's size in bytes and blocks, the first
// and last frames, and the time the upload takes on the line.
std::string CheckReport(const DecodedImage& image, int speed);

// What --check adds of the times to the status lines, which already say what was done with them:
// that the frames go as they stand although a rate was given, or that nothing was done at all.
std::string FramesAsTheyStandLines(const TimingReport& timing);

}  // namespace marvek::cli
