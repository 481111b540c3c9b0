#pragma once

#include <string>

namespace marvek::bench {

struct TitlesDialogFigures {
  double firstRowsMs = 0;  // from the conversion's start to the table's first rows painted, median
  double searchMs = 0;     // one search over every title, median
  int titles = 0;
  int found = 0;  // rows the search kept
};

// Opens File > Show titles...' dialog on `path`, as the window does, on Qt's offscreen platform
// unless another is chosen, and searches its titles for a word.
TitlesDialogFigures MeasureTitlesDialog(const std::string& path, int runs);

}  // namespace marvek::bench
