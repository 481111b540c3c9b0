#include "cli/title_report.h"

#include <cmath>
#include <cstdio>

namespace marvek::cli {
namespace {

constexpr std::size_t kBlockBytes = 16;
constexpr double kBitsPerBlock = (1 + 16 + 1) * 10;  // "L", the block, the "R"; 8N1

std::string Duration(double seconds) {
  char text[48];
  if (seconds < 10) {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  } else if (seconds < 60) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else {
    const long long whole = std::llround(seconds);
    std::snprintf(text, sizeof text, "%lld min %lld s", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

std::string TitlesAsTitleFile(const DecodedImage& image) {
  std::string out;
  for (const DecodedTitle& title : image.titles) {
    out += "{" + std::to_string(title.start) + "}{" + std::to_string(title.end) + "}";
    if (title.utf8.find('}') != std::string::npos) out += "{}";
    out += title.utf8;
    out += "\n";
  }
  return out;
}

double LineSeconds(std::size_t blocks, int speed) {
  return speed <= 0 ? 0 : static_cast<double>(blocks) * kBitsPerBlock / speed;
}

std::string CheckReport(const DecodedImage& image, int speed) {
  const std::size_t blocks = image.imageLength / kBlockBytes;
  std::string out = "Titles: " + std::to_string(image.titles.size()) + "\n";
  out += "Image: " + std::to_string(image.imageLength) + " bytes, " + std::to_string(blocks) +
         (blocks == 1 ? " block\n" : " blocks\n");
  if (image.titles.empty()) {
    out += "Frames: none\n";
  } else {
    out += "Frames: " + std::to_string(image.titles.front().start) + " to " +
           std::to_string(image.titles.back().end) + "\n";
  }
  out += "Upload at " + std::to_string(speed) + " bit/s: about " +
         Duration(LineSeconds(blocks, speed)) + " on the line\n";
  return out;
}

}  // namespace marvek::cli
