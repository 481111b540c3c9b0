#include "window/titles_summary.h"

#include <algorithm>

#include "command/conversion_report.h"
#include "upload/serial_link.h"

namespace marvek {

std::vector<std::string> TitlesSummary(const TitlesView& view, const std::string& speedText) {
  // Only the speed counts here; the port is not opened, so any port will do to read it.
  const LinkSettings link = FromOperatorChoice("Com1", speedText);
  std::vector<std::string> lines =
      ConversionReport(view.titles, view.image.size(), link, view.timing);
  // The command says what it did with the times among its status lines too.
  for (const std::string& line : view.reading) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
  }
  return lines;
}

}  // namespace marvek
