#pragma once

#include <QColor>

#include "window/title_note.h"

namespace marvek {

// The colour of a title in the timeline and, lighter, of its row: one colour a kind of note, so
// that what happened to a title shows at a glance. A title with several notes takes the colour
// of the first of: mended, shortened, waited for an overlap, split over a long gap.
QColor TitleColour(TitleNote notes);

}  // namespace marvek
