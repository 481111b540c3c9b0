#include "cli/title_report.h"

#include <cmath>
#include <cstdio>

#include "shared/block_size.h"
#include "upload/block_upload.h"

namespace marvek::cli {

std::string TitlesAsTitleFile(const DecodedImage& image) {
  std::string out;
  for (const DecodedTitle& title : image.titles) {
    out.append("{").append(std::to_string(title.start)).append("}{");
    out.append(std::to_string(title.end)).append("}");
    if (title.utf8.find('}') != std::string::npos) out += "{}";
    out += title.utf8;
    out += "\n";
  }
  return out;
}

std::string CheckReport(const DecodedImage& image, int speed) {
  const std::size_t blocks = image.imageLength / kBlockSize;
  std::string out = "Titles: ";
  out.append(std::to_string(image.titles.size())).append("\n");
  out.append("Image: ").append(std::to_string(image.imageLength)).append(" bytes, ");
  out.append(std::to_string(blocks)).append(blocks == 1 ? " block\n" : " blocks\n");
  if (image.titles.empty()) {
    out += "Frames: none\n";
  } else {
    out.append("Frames: ").append(std::to_string(image.titles.front().start)).append(" to ");
    out.append(std::to_string(image.titles.back().end)).append("\n");
  }
  out.append("Upload at ").append(std::to_string(speed)).append(" bit/s: about ");
  out.append(LineTimeText(LineSeconds(blocks, speed))).append(" on the line\n");
  return out;
}

std::string FramesAsTheyStandLines(const TimingReport& timing) {
  if (const std::string asTheyStand = FramesAsTheyStandLine(timing); !asTheyStand.empty()) {
    return asTheyStand + "\n";
  }
  return TimingStatusLines(timing).empty() ? "Frames as in the file; no shift.\n" : "";
}

}  // namespace marvek::cli
