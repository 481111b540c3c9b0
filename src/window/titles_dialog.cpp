#include "window/titles_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "window/timeline_strip.h"
#include "window/title_columns.h"
#include "window/title_notes.h"
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
  if (!view_->shown()) resize(520, 160);
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
  auto* legend = new QLabel(NotesLegend(), this);
  legend->setTextFormat(Qt::RichText);
  layout->addWidget(legend);

  AddSearchRow(layout);
  AddTable(layout);
  setTabOrder(search_, table_);
  Connect();
  Search();
}

void TitlesDialog::AddSearchRow(QVBoxLayout* layout) {
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
}

void TitlesDialog::AddTable(QVBoxLayout* layout) {
  model_ = new TitleTableModel(view_, this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("Titles"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  // Every row has the same height and every column a width worked out from the view's largest
  // numbers: nothing is measured over the rows, which for a million of them would take seconds.
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  const int narrow = FitColumns(*table_, *view_);
  layout->addWidget(table_, 1);

  // The narrow columns, a title of 60 characters, the scroll bar and the margins around.
  const QMargins around = layout->contentsMargins();
  const int frame = 2 * table_->frameWidth() + around.left() + around.right();
  const int scrollBar = table_->verticalScrollBar()->sizeHint().width();
  const int fixed = narrow + frame + scrollBar + TextMargin(*table_);
  resize(fixed + SixtyCharacters(table_->fontMetrics()), 600);
  roomy_ = QSize(std::max(width(), fixed + table_->fontMetrics().averageCharWidth() * 100), 600);
}

void TitlesDialog::Connect() {
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
