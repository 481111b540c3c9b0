#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

#include "convert/records/record_source.h"

namespace marvek {

// What became of a title, in the conversion's own notes (RecordSource::Note bits, any of them at
// once), as the titles view shows it: words in the Note column, a colour in the timeline and,
// lighter, on the row. One table holds both, so the legend under the timeline says what each
// colour means in the words of the column.

// The notes in words ("waited for an overlap, shortened"); empty for none.
std::string NoteWords(std::uint8_t notes);

// The colour of a title with `notes`: that of the first of mended, shortened, waited for an
// overlap, split over a long gap; blue for a title as in the file.
QColor TitleColour(std::uint8_t notes);

// Each colour of the timeline with its meaning, as rich text for a label.
QString NotesLegend();

}  // namespace marvek
