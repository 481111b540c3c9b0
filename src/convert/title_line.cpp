#include "convert/title_line.h"

#include "convert/layouts/title_text.h"

namespace marvek {
namespace {

// Finds `c` in `rest`; on success drops everything up to and including it from `rest` and
// returns what stood before it.
std::optional<std::string_view> CutAt(std::string_view& rest, char c) {
  const std::size_t at = rest.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view before = rest.substr(0, at);
  rest.remove_prefix(at + 1);
  return before;
}

}  // namespace

std::optional<TitleLineView> ScanTitleLine(std::string_view line) {
  std::string_view rest = line;
  if (!CutAt(rest, '{')) return std::nullopt;
  const auto start = CutAt(rest, '}');
  if (!start) return std::nullopt;
  if (!CutAt(rest, '{')) return std::nullopt;
  const auto end = CutAt(rest, '}');
  if (!end) return std::nullopt;
  return TitleLineView{*start, *end, rest};
}

std::optional<TitleLine> ParseTitleLine(std::string_view line) {
  const auto view = ScanTitleLine(line);
  if (!view) return std::nullopt;
  ByteString buffer;
  const std::string_view text = RemoveFormattingCodes(view->text, buffer);
  return TitleLine{ByteString(view->start), ByteString(view->end), ByteString(text)};
}

}  // namespace marvek
