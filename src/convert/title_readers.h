#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "convert/layouts/brace_reader.h"
#include "convert/layouts/layout_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/records/conversion_result.h"
#include "convert/records/line_problems.h"
#include "convert/sources/title_input.h"
#include "convert/timing/title_layout.h"
#include "shared/operator_panel.h"

namespace marvek {

// One reader of every line layout; a new layout adds its reader here and a row to the table.
using LineLayoutReader = std::variant<BraceReader, SubRipReader, Mpl2Reader>;

// A reader of a whole document rather than of lines (DCP subtitles, ASS, a film's titles): it
// gets the file, folder or contents and gives the conversion's result, since each source refuses
// in its own way (a line of XML, a film FFmpeg cannot open) and some read a path, not bytes.
// nullopt when a closer look finds the file is not of its kind after all: the file's lines are
// read then.
using DocumentReader = std::optional<ConversionResult> (*)(const TitleInput& input, CharMode mode,
                                                           OperatorPanel& panel,
                                                           const ConversionOptions& options);

// A row of the table of readers: how a file of its kind is told, and what reads it.
struct TitleReader {
  TitleLayout layout;
  // Whether `input` is a document of this kind; null for a line layout, which LayoutOpeningAt
  // tells at a file's lines.
  bool (*claims)(const TitleInput& input);
  // Makes the reader of its lines; null for a reader of whole documents.
  LineLayoutReader (*readLines)(const ReaderSettings& settings);
  // Reads a whole document; null for a reader of lines.
  DocumentReader readDocument;
  // Why a file of this kind is refused without the display's frame rate, with its fault; null
  // when its times are frames already or the reader says so itself.
  const char* needsRate;
  LineFault withoutRate;
};

// The reader of `input`. A file whose first line with text is a line layout's is read by its
// lines; the readers of whole documents are asked next, in order, the last (FFmpeg) taking
// whatever no other claims. Only the head and the path are looked at.
const TitleReader& ChooseReader(const TitleInput& input);

// The line layout of the file whose start is `text` (TitleInput::text): the first line that
// opens a title of some layout decides, whatever lines that are no title stand before it (blank
// lines, a saved HTTP header). A file in which no line does is read as a brace file, and refused
// as one.
const TitleReader& ChooseLineReader(std::string_view text);

}  // namespace marvek
