#include "convert/layouts/brace_fields.h"

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

}  // namespace marvek
