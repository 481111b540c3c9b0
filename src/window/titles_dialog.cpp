#include "window/titles_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "window/timeline_strip.h"
#include "window/title_colours.h"
#include "window/title_table_model.h"
#include "window/titles_summary.h"

namespace marvek {
namespace {

// Typing in the search field filters once the operator pauses, not at every letter.
constexpr int kSearchPauseMs = 150;

QString Lines(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  return text.join(QLatin1Char('\n'));
}

// The colours of the timeline, each with its meaning.
QString Legend() {
  const struct {
    TitleNote note;
    const char* words;
  } kinds[] = {{TitleNote::None, "as in the file"},
               {TitleNote::WaitedForOverlap, "waited for an overlap"},
               {TitleNote::Shortened, "shortened"},
               {TitleNote::Mended, "mended"},
               {TitleNote::SplitOverGap, "split over a long gap"}};
  QString html;
  for (const auto& kind : kinds) {
    html += QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2&nbsp;&nbsp; ")
                .arg(TitleColour(kind.note).name(), QString::fromLatin1(kind.words));
  }
  return html;
}

}  // namespace

TitlesDialog::TitlesDialog(std::shared_ptr<const TitlesView> view, const std::string& speedText,
                           QWidget* parent)
    : QDialog(parent), view_(std::move(view)) {
  setObjectName(QStringLiteral("TitlesDialog"));
  const QString name =
      view_->path.empty() ? QString() : QFileInfo(QString::fromLocal8Bit(view_->path)).fileName();
  setWindowTitle(name.isEmpty() ? QStringLiteral("Titles") : QStringLiteral("Titles of ") + name);
  auto* layout = new QVBoxLayout(this);

  if (view_->shown()) {
    BuildTitles(speedText);
  } else {
    auto* refusal = new QLabel(Lines(view_->refusal), this);
    refusal->setObjectName(QStringLiteral("Refusal"));
    refusal->setWordWrap(true);
    refusal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    refusal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(refusal, 1);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(view_->shown() ? QSize(900, 600) : QSize(520, 160));
}

TitlesDialog::~TitlesDialog() = default;

void TitlesDialog::BuildTitles(const std::string& speedText) {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());

  auto* summary = new QLabel(Lines(TitlesSummary(*view_, speedText)), this);
  summary->setObjectName(QStringLiteral("Summary"));
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(summary);

  strip_ = new TimelineStrip(view_, this);
  layout->addWidget(strip_);
  auto* legend = new QLabel(Legend(), this);
  legend->setTextFormat(Qt::RichText);
  layout->addWidget(legend);

  search_ = new QLineEdit(this);
  search_->setObjectName(QStringLiteral("Search"));
  search_->setClearButtonEnabled(true);
  search_->setPlaceholderText(QStringLiteral("text in the titles"));
  auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
  searchLabel->setBuddy(search_);
  found_ = new QLabel(this);
  found_->setObjectName(QStringLiteral("Found"));
  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(searchLabel);
  searchRow->addWidget(search_, 1);
  searchRow->addWidget(found_);
  layout->addLayout(searchRow);

  model_ = new TitleTableModel(view_, this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("Titles"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  // Every row has the same height and every column a set width: nothing is measured over the
  // rows, which for a million of them would take seconds.
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* columns = table_->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setStretchLastSection(true);
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const int margin = 12;
  table_->setColumnWidth(TitleTableModel::Number, digit * 7 + margin);
  table_->setColumnWidth(TitleTableModel::SourceLine, digit * 7 + margin);
  table_->setColumnWidth(TitleTableModel::Start, digit * 10 + margin);  // up to 2147483647
  table_->setColumnWidth(TitleTableModel::End, digit * 10 + margin);
  table_->setColumnWidth(TitleTableModel::StartTime, digit * 10 + margin);  // 0:00:00.00
  table_->setColumnWidth(TitleTableModel::Duration, digit * 10 + margin);
  table_->setColumnWidth(TitleTableModel::Text, digit * 32);
  layout->addWidget(table_, 1);
  setTabOrder(search_, table_);

  searchPause_ = new QTimer(this);
  searchPause_->setSingleShot(true);
  searchPause_->setInterval(kSearchPauseMs);
  connect(searchPause_, &QTimer::timeout, this, &TitlesDialog::Search);
  connect(search_, &QLineEdit::textChanged, searchPause_, qOverload<>(&QTimer::start));
  connect(strip_, &TimelineStrip::TitleClicked, this, &TitlesDialog::SelectTitle);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            strip_->SetSelectedTitle(
                current.isValid() ? static_cast<long long>(model_->TitleOfRow(current.row())) : -1);
          });
  Search();
}

void TitlesDialog::Search() {
  searchPause_->stop();
  model_->Search(search_->text());
  const int rows = model_->rowCount();
  found_->setText(
      model_->searching()
          ? QStringLiteral("%1 of %2").arg(rows).arg(view_->titles.size())
          : (rows == 1 ? QStringLiteral("1 title") : QStringLiteral("%1 titles").arg(rows)));
}

void TitlesDialog::SelectTitle(long long title) {
  int row = model_->RowOfTitle(static_cast<std::size_t>(title));
  // A title the search hides is shown all the same: the search gives way.
  if (row < 0) {
    search_->clear();
    Search();
    row = model_->RowOfTitle(static_cast<std::size_t>(title));
  }
  if (row < 0) return;
  const QModelIndex index = model_->index(row, TitleTableModel::Number);
  table_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  table_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

}  // namespace marvek
