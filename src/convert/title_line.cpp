#include "convert/title_line.h"

#include "convert/layouts/title_text.h"

namespace marvek {

std::optional<TitleLine> ParseTitleLine(std::string_view line) {
  const auto view = ScanTitleLine(line);
  if (!view) return std::nullopt;
  ByteString buffer;
  const std::string_view text = RemoveFormattingCodes(view->text, buffer);
  return TitleLine{ByteString(view->start), ByteString(view->end), ByteString(text)};
}

}  // namespace marvek
