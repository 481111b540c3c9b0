#include "command/conversion_report.h"

#include "shared/block_size.h"
#include "upload/block_upload.h"

namespace marvek {
namespace {

std::string FramesLine(const std::vector<ImageRecord>& titles) {
  if (titles.empty()) return "Frames: none";
  return "Frames: " + std::to_string(titles.front().start) + " to " +
         std::to_string(titles.back().end);
}

std::string UploadLine(std::size_t blocks, const LinkSettings& link) {
  if (link.speed <= 0) return link.problem + ": no time on the line";
  return "Upload at " + std::to_string(link.speed) + " bit/s: about " +
         LineTimeText(LineSeconds(blocks, link.speed)) + " on the line";
}

}  // namespace

std::vector<std::string> ConversionReport(const std::vector<ImageRecord>& titles,
                                          std::size_t imageBytes, const LinkSettings& link,
                                          const TimingReport& timing) {
  const std::size_t blocks = imageBytes / kBlockSize;
  std::vector<std::string> lines{
      "Titles: " + std::to_string(titles.size()),
      "Image: " + std::to_string(imageBytes) + " bytes, " + std::to_string(blocks) +
          (blocks == 1 ? " block" : " blocks"),
      FramesLine(titles),
      UploadLine(blocks, link),
  };
  const std::size_t timingStart = lines.size();
  for (std::string& line : TimingStatusLines(timing)) lines.push_back(std::move(line));
  if (std::string asTheyStand = FramesAsTheyStandLine(timing); !asTheyStand.empty()) {
    lines.push_back(std::move(asTheyStand));
  }
  if (lines.size() == timingStart) lines.emplace_back("Frames as in the file; no shift.");
  return lines;
}

}  // namespace marvek
