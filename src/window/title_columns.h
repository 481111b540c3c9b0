#pragma once

class QFontMetrics;
class QTableView;

namespace marvek {

struct TitlesView;

// Sets the widths of the titles table's columns: each narrow one (numbers, times, notes) just
// wide enough for its header and the widest value the view holds, worked out from the view's
// largest numbers and its kinds of notes rather than measured over the rows; the Text column
// takes what is left. Returns the narrow columns' width together.
int FitColumns(QTableView& table, const TitlesView& view);

// The room a cell leaves beside its text, left and right together.
int TextMargin(const QTableView& table);

// The width of a title of 60 characters of ordinary text.
int SixtyCharacters(const QFontMetrics& metrics);

}  // namespace marvek
