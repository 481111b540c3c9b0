#include "cli/title_report.h"

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

}  // namespace marvek::cli
