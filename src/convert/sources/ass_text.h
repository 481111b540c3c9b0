#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/sources/timed_event.h"

namespace marvek {

// The text of an ASS event as a title's text: override blocks "{...}" removed, "\N" a line break
// ("|"), "\n" (a soft break) and "\h" a space. FFmpeg hands the events of every text format it
// decodes on in this form too.
struct AssTitleText {
  std::string text;
  bool draws = false;  // a "\p1" or higher: a drawing, not words, and left out
};
AssTitleText AssEventText(std::string_view text);

// An ASS time, H:MM:SS.cc: the digits after the point are a decimal fraction of a second (".766"
// is 0.766 s), and a leading "-" makes the whole time negative. nullopt when it is no time.
std::optional<SourceTime> ParseAssTime(std::string_view text);

// The lines of `text`, whatever ends them: "\r\n", "\n" or a lone "\r".
template <typename Visit>
void ForEachTextLine(std::string_view text, Visit visit) {
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find_first_of("\r\n", from);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(from, end - from));
    from = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  }
}

}  // namespace marvek
