#include "window/title_colours.h"

namespace marvek {

QColor TitleColour(TitleNote notes) {
  if (Has(notes, TitleNote::Mended)) return QColor(0, 150, 60);             // green
  if (Has(notes, TitleNote::Shortened)) return QColor(210, 40, 40);         // red
  if (Has(notes, TitleNote::WaitedForOverlap)) return QColor(235, 140, 0);  // orange
  if (Has(notes, TitleNote::SplitOverGap)) return QColor(140, 60, 180);     // purple
  return QColor(40, 90, 190);                                               // blue: as in the file
}

}  // namespace marvek
