#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <vector>

#include "window/titles_view.h"

namespace marvek {

// The titles of a converted file, one row a title, for a QTableView. Each cell is made when the
// view asks for it, so a file of a million titles opens as fast as one of ten. A search keeps
// only the rows whose text holds the searched text.
class TitleTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Number, SourceLine, Start, End, StartTime, Duration, Text, Note, ColumnCount };

  explicit TitleTableModel(std::shared_ptr<const TitlesView> view, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Keeps the rows whose text holds `text`, whatever the case; all rows for an empty text.
  void Search(const QString& text);
  bool searching() const { return searching_; }

  // The title (counted from 0 in the file's order) shown in `row`, and the row that shows
  // `title`, -1 when the search hides it.
  std::size_t TitleOfRow(int row) const;
  int RowOfTitle(std::size_t title) const;

 private:
  std::shared_ptr<const TitlesView> view_;
  bool searching_ = false;
  std::vector<std::uint32_t> found_;  // the titles a search keeps, in order
};

}  // namespace marvek
