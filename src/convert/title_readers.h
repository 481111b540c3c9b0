#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "convert/layouts/brace_reader.h"
#include "convert/layouts/layout_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/records/line_problems.h"
#include "convert/sources/timed_event.h"
#include "convert/timing/title_layout.h"

namespace marvek {

// One reader of every line layout; a new layout adds its reader here and a row to the table.
using LineLayoutReader = std::variant<BraceReader, SubRipReader, Mpl2Reader>;

// A reader of a whole document rather than of lines (a film's titles, a format of FFmpeg's, DCP
// subtitles): the file's text, UTF-8 once its encoding is known, and its path, to the titles it
// holds. Its titles reach the record builder through RecordBuilder::AddTitle.
using DocumentReader = TimedSource (*)(std::string_view text, const std::string& path);

// A row of the table of readers: how a file of its kind is told, and what reads it.
struct TitleReader {
  TitleLayout layout;
  // Whether a title of this kind begins at the start of `rest`: the file's first bytes, from one
  // of its first lines on.
  bool (*opensAt)(std::string_view rest);
  // Makes the reader of its lines; null for a reader of whole documents.
  LineLayoutReader (*readLines)(const ReaderSettings& settings);
  // Reads a whole document; null for a reader of lines.
  DocumentReader readDocument;
  // Why a file of this kind is refused without the display's frame rate, with its fault; null
  // when its times are frames already.
  const char* needsRate;
  LineFault withoutRate;
};

// The reader of the file whose start is `head`: the first line that opens a title of some kind
// decides, whatever lines that are no title stand before it (blank lines, a saved HTTP header).
// A file in which no line does is read as a brace file, and refused as one.
const TitleReader& ChooseReader(std::string_view head);

}  // namespace marvek
