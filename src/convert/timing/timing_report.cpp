#include "convert/timing/timing_report.h"

#include "convert/timing/frame_retiming.h"

namespace marvek {
namespace {

// "1 frame", "48 frames".
std::string Count(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string ShiftLine(const TimingReport& report) {
  const std::uint64_t size = report.shift < 0 ? 0 - static_cast<std::uint64_t>(report.shift)
                                              : static_cast<std::uint64_t>(report.shift);
  std::string line = std::string("Titles shifted by ") + (report.shift < 0 ? "-" : "+") +
                     Count(size, "frame", "frames");
  if (report.leftOut > 0) {
    line += "; " + std::to_string(report.leftOut) + " left out before the film's start";
  }
  if (report.startsMoved > 0) {
    line += "; " + std::to_string(report.startsMoved) + " now " +
            (report.startsMoved == 1 ? "starts" : "start") + " at frame 0";
  }
  return line + ".";
}

}  // namespace

std::vector<std::string> TimingStatusLines(const TimingReport& report) {
  std::vector<std::string> lines;
  if (report.layout != TitleLayout::Braces) {
    if (report.displayRate) {
      lines.push_back("Times read at " + FrameRateText(*report.displayRate) + " frames a second.");
    }
  } else if (report.retimed) {
    lines.push_back("Frames retimed from " + FrameRateText(*report.fileRate) + " to " +
                    FrameRateText(*report.displayRate) + " frames a second.");
  } else if (report.fileRate && report.displayRate &&
             SameFrameRate(*report.fileRate, *report.displayRate)) {
    lines.push_back("Frames kept: the file runs at " + FrameRateText(*report.fileRate) +
                    " frames a second, as the display does.");
  }
  if (report.shift != 0) lines.push_back(ShiftLine(report));
  return lines;
}

std::string FramesAsTheyStandLine(const TimingReport& report) {
  if (report.layout != TitleLayout::Braces || report.retimed) return {};
  if (report.displayRate && !report.fileRate) {
    return "Frames taken as they stand: the file's frame rate is not known.";
  }
  if (report.fileRate && !report.displayRate) {
    return "Frames taken as they stand: the display's frame rate is not given.";
  }
  return {};
}

}  // namespace marvek
