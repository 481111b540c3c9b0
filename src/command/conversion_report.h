#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "convert/timing/timing_report.h"
#include "display/image_records.h"
#include "upload/serial_link.h"

namespace marvek {

// The account of a converted file that both faces give, a sentence a line and each once: the
// number of titles, the image's size in bytes and blocks, the first and last frames, the time
// the upload takes on the line at `link`'s speed, then what was done with the times ("Frames
// as in the file; no shift." when nothing was). marvek-upload --check prints these lines; the
// window's titles view heads its summary with them.
//   Titles: 2
//   Image: 32 bytes, 2 blocks
//   Frames: 0 to 80
//   Upload at 9600 bit/s: about 0.04 s on the line
//   Frames taken as they stand: the file's frame rate is not known.
// `titles` are the image's records as the display reads them; `imageBytes` the filled image's
// length. A link whose speed cannot be used says why instead of the time on the line.
std::vector<std::string> ConversionReport(const std::vector<ImageRecord>& titles,
                                          std::size_t imageBytes, const LinkSettings& link,
                                          const TimingReport& timing);

}  // namespace marvek
