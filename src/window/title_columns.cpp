#include "window/title_columns.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <bitset>

#include "window/film_time.h"
#include "window/title_notes.h"
#include "window/title_table_model.h"
#include "window/titles_view.h"

namespace marvek {
namespace {

// The widest text each narrow column shows, from one pass over the view's numbers.
struct WidestValues {
  QString number, line, start, end, startTime, duration, note;
};

QString Longer(const QString& a, const QString& b) {
  return b.size() > a.size() ? b : a;
}

WidestValues Widest(const TitlesView& view) {
  std::int64_t least = 0, most = 0, longest = 0;
  std::size_t lastLine = 0;
  std::bitset<256> notes;
  for (std::size_t t = 0; t < view.titles.size(); ++t) {
    const ImageRecord& record = view.titles[t];
    least = std::min({least, record.start, record.end});
    most = std::max({most, record.start, record.end});
    longest = std::max(longest, record.end - record.start);
    lastLine = std::max(lastLine, view.SourceLine(t));
    notes.set(view.Notes(t));
  }
  WidestValues widest;
  widest.number = QString::number(view.titles.size());
  widest.line = QString::number(lastLine);
  widest.start = Longer(QString::number(least), QString::number(most));
  widest.end = widest.start;
  if (view.displayRate) {
    widest.startTime = QString::fromStdString(FilmTime(most, *view.displayRate));
    widest.duration = QString::fromStdString(FilmTime(longest, *view.displayRate));
  }
  for (std::size_t n = 0; n < notes.size(); ++n) {
    if (notes[n]) widest.note = Longer(widest.note, QString::fromStdString(NoteWords(n)));
  }
  return widest;
}

}  // namespace

int TextMargin(const QTableView& table) {
  // The item view's style keeps this much free on either side of a cell's text, and the grid
  // line takes a pixel.
  return 2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1) + 2;
}

int SixtyCharacters(const QFontMetrics& metrics) {
  const QString sample =
      QStringLiteral("Could you see my mother|again, after the war? Not even once.");
  return std::max(metrics.horizontalAdvance(sample), metrics.averageCharWidth() * 60);
}

int FitColumns(QTableView& table, const TitlesView& view) {
  const WidestValues widest = Widest(view);
  const struct {
    int column;
    const QString& text;
  } columns[] = {
      {TitleTableModel::Number, widest.number},       {TitleTableModel::SourceLine, widest.line},
      {TitleTableModel::Start, widest.start},         {TitleTableModel::End, widest.end},
      {TitleTableModel::StartTime, widest.startTime}, {TitleTableModel::Duration, widest.duration},
      {TitleTableModel::Note, widest.note},
  };
  QHeaderView* header = table.horizontalHeader();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(TitleTableModel::Text, QHeaderView::Stretch);
  const QFontMetrics metrics = table.fontMetrics();
  int total = 0;
  for (const auto& column : columns) {
    const int width = std::max(header->sectionSizeHint(column.column),
                               metrics.horizontalAdvance(column.text) + TextMargin(table));
    table.setColumnWidth(column.column, width);
    total += width;
  }
  return total;
}

}  // namespace marvek
