#include "window/title_table_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <limits>

#include "window/film_time.h"
#include "window/title_notes.h"
#include "window/title_search.h"

namespace marvek {
namespace {

// A view's rows are counted in int; a file of more titles shows the first this many.
constexpr std::size_t kMostRows = static_cast<std::size_t>(std::numeric_limits<int>::max());

QString Numeral(long long value) {
  return QString::number(value);
}

}  // namespace

TitleTableModel::TitleTableModel(std::shared_ptr<const TitlesView> view, QObject* parent)
    : QAbstractTableModel(parent), view_(std::move(view)) {}

int TitleTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min(searching_ ? found_.size() : view_->titles.size(), kMostRows));
}

int TitleTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

std::size_t TitleTableModel::TitleOfRow(int row) const {
  const auto at = static_cast<std::size_t>(row);
  return searching_ ? found_[at] : at;
}

int TitleTableModel::RowOfTitle(std::size_t title) const {
  if (!searching_) return title < view_->titles.size() ? static_cast<int>(title) : -1;
  const auto found = std::lower_bound(found_.begin(), found_.end(), title);
  if (found == found_.end() || *found != title) return -1;
  return static_cast<int>(found - found_.begin());
}

QVariant TitleTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const std::size_t title = TitleOfRow(index.row());
  const ImageRecord& record = view_->titles[title];
  const int column = index.column();

  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(column == Text || column == Note
                                   ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                   : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  }
  if (role == Qt::BackgroundRole) {
    const std::uint8_t notes = view_->Notes(title);
    if (notes == 0) return {};
    return QBrush(TitleColour(notes).lighter(160));
  }
  if (role == Qt::ToolTipRole && column == Text) {
    return QString::fromStdString(view_->DisplayedText(title));
  }
  if (role != Qt::DisplayRole) return {};

  switch (column) {
    case Number:
      return Numeral(static_cast<long long>(title) + 1);
    case SourceLine: {
      const std::size_t line = view_->SourceLine(title);
      return line == 0 ? QString() : Numeral(static_cast<long long>(line));
    }
    case Start:
      return Numeral(record.start);
    case End:
      return Numeral(record.end);
    case StartTime:
      if (!view_->displayRate) return {};
      return QString::fromStdString(FilmTime(record.start, *view_->displayRate));
    case Duration:
      if (!view_->displayRate) return {};
      return QString::fromStdString(FilmTime(record.end - record.start, *view_->displayRate));
    case Text:
      return QString::fromStdString(view_->DisplayedText(title));
    case Note:
      return QString::fromStdString(NoteWords(view_->Notes(title)));
    default:
      return {};
  }
}

QVariant TitleTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Number:
      return QStringLiteral("#");
    case SourceLine:
      return QStringLiteral("Line");
    case Start:
      return QStringLiteral("Start");
    case End:
      return QStringLiteral("End");
    case StartTime:
      return QStringLiteral("Start time");
    case Duration:
      return QStringLiteral("Duration");
    case Text:
      return QStringLiteral("Text");
    case Note:
      return QStringLiteral("Note");
    default:
      return {};
  }
}

void TitleTableModel::Search(const QString& text) {
  const TitleSearch search(text);
  beginResetModel();
  searching_ = !search.empty();
  found_.clear();
  if (searching_) {
    const std::string_view image = view_->image;
    const std::size_t count = std::min(view_->titles.size(), kMostRows);
    for (std::size_t title = 0; title < count; ++title) {
      const ImageRecord& record = view_->titles[title];
      if (search.Matches(image.substr(record.textOffset, record.textLength))) {
        found_.push_back(static_cast<std::uint32_t>(title));
      }
    }
  }
  found_.shrink_to_fit();
  endResetModel();
}

}  // namespace marvek
