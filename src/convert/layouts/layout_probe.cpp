#include "convert/layouts/layout_probe.h"

#include "convert/layouts/brace_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"

namespace marvek {

std::optional<TitleLayout> LayoutOpeningAt(std::string_view rest) {
  // SubRip goes first: its title number is a line no other layout opens with, and MPL2 before
  // braces, since an MPL2 text may hold "{y:i}".
  if (LooksLikeSubRip(rest)) return TitleLayout::SubRip;
  if (LooksLikeMpl2(rest)) return TitleLayout::Mpl2;
  if (OpensWithBraceTitle(rest)) return TitleLayout::Braces;
  return std::nullopt;
}

bool OpensAsLineLayout(std::string_view head) {
  const std::size_t first = head.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  // From the start of the line with text: the SubRip probe reads that line and the next.
  const std::size_t lineStart = head.find_last_of("\r\n", first);
  const std::string_view rest =
      head.substr(lineStart == std::string_view::npos ? 0 : lineStart + 1);
  return head[first] == '{' || LayoutOpeningAt(rest).has_value();
}

}  // namespace marvek
