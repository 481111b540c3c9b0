#include "window/titles_summary.h"

#include <cmath>
#include <cstdio>

#include "upload/block_upload.h"
#include "upload/serial_link.h"
#include "window/film_time.h"

namespace marvek {
namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Frame(const TitlesView& view, std::int64_t frame) {
  std::string text = std::to_string(frame);
  if (view.displayRate) text += " (" + FilmTime(frame, *view.displayRate) + ")";
  return text;
}

}  // namespace

std::vector<std::string> TitlesSummary(const TitlesView& view, const std::string& speedText) {
  std::vector<std::string> lines;
  std::string titles = Count(view.titles.size(), "title", "titles");
  if (!view.titles.empty()) {
    titles += ", frames " + Frame(view, view.titles.front().start) + " to " +
              Frame(view, view.titles.back().end);
  }
  lines.push_back(titles + ".");
  lines.push_back("Image: " + Count(view.image.size(), "byte", "bytes") + ", " +
                  Count(view.blocks(), "block", "blocks") + ".");
  // Only the speed counts here; the port is not opened, so any port will do to read it.
  const LinkSettings link = FromOperatorChoice("Com1", speedText);
  if (link.speed > 0) {
    lines.push_back("Upload at " + std::to_string(link.speed) + " bit/s: about " +
                    LineTimeText(LineSeconds(view.blocks(), link.speed)) + " on the line.");
  } else {
    lines.push_back(link.problem + ": no time on the line.");
  }
  lines.insert(lines.end(), view.reading.begin(), view.reading.end());
  lines.insert(lines.end(), view.adjustments.begin(), view.adjustments.end());
  return lines;
}

}  // namespace marvek
