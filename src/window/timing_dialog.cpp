#include "window/timing_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "convert/sources/ffmpeg_source.h"

namespace marvek {
namespace {

const QStringList kRates = {QStringLiteral("23.976"), QStringLiteral("24"), QStringLiteral("25"),
                            QStringLiteral("29.97"),  QStringLiteral("30"), QStringLiteral("50"),
                            QStringLiteral("59.94"),  QStringLiteral("60")};

// An editable list whose first entry stands for no rate: the operator picks or types.
QComboBox* RateBox(QWidget* parent, const char* name, const char* none, const std::string& rate) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setCompleter(nullptr);
  box->addItem(QString::fromLatin1(none));
  box->addItems(kRates);
  box->setEditText(rate.empty() ? QString::fromLatin1(none) : QString::fromStdString(rate));
  return box;
}

// The rate a box holds: empty for its first entry, which chooses none.
std::string RateText(const QComboBox* box) {
  const QString text = box->currentText().trimmed();
  if (text.isEmpty() || text == box->itemText(0)) return {};
  return text.toStdString();
}

}  // namespace

const char* const TimingDialog::kFramesAsInFile = "Frames as in the file";
const char* const TimingDialog::kFromFrameRateLine = "From its frame-rate line";

TimingDialog::TimingDialog(const TimingChoices& choices, QWidget* parent, TitleFileChooser* films)
    : QDialog(parent), films_(films) {
  setObjectName(QStringLiteral("TimingDialog"));
  setWindowTitle(QStringLiteral("Timing"));

  displayRate_ = RateBox(this, "DisplayRate", kFramesAsInFile, choices.displayRate);
  displayRate_->setToolTip(
      QStringLiteral("Frames a second of the film as the display plays it. SubRip and MPL2 times "
                     "become frames at this rate, and frame numbers are retimed to it."));
  fileRate_ = RateBox(this, "FileRate", kFromFrameRateLine, choices.fileRate);
  fileRate_->setToolTip(
      QStringLiteral("Frames a second that the file's frame numbers count. Unless a number is "
                     "given, a frame-rate line at the top of the file tells it."));

  QHBoxLayout* shiftRow = ShiftRow(choices);
  auto* form = new QFormLayout;
  auto* fromFilm = new QPushButton(QStringLiteral("From a fi&lm..."), this);
  fromFilm->setObjectName(QStringLiteral("RateFromFilm"));
  fromFilm->setToolTip(QStringLiteral("Takes the frame rate that a film's video states."));
  connect(fromFilm, &QPushButton::clicked, this, &TimingDialog::TakeFilmRate);
  auto* displayRow = new QHBoxLayout;
  displayRow->addWidget(displayRate_, 1);
  displayRow->addWidget(fromFilm);
  form->addRow(QStringLiteral("&Display's frame rate:"), displayRow);
  if (auto* label = qobject_cast<QLabel*>(form->labelForField(displayRow))) {
    label->setBuddy(displayRate_);
  }
  form->addRow(QStringLiteral("&File's frame rate:"), fileRate_);
  form->addRow(QStringLiteral("&Shift:"), shiftRow);
  // A label made from a layout row names no field; the shift's names its text field.
  if (auto* label = qobject_cast<QLabel*>(form->labelForField(shiftRow))) label->setBuddy(shift_);

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("TimingProblem"));
  problem_->setWordWrap(true);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problem_);
  layout->addWidget(buttons_);

  connect(displayRate_, &QComboBox::editTextChanged, this, &TimingDialog::Check);
  connect(fileRate_, &QComboBox::editTextChanged, this, &TimingDialog::Check);
  connect(shift_, &QLineEdit::textChanged, this, &TimingDialog::Check);
  connect(frames_, &QRadioButton::toggled, this, &TimingDialog::Check);
  Check();
}

QHBoxLayout* TimingDialog::ShiftRow(const TimingChoices& choices) {
  shift_ = new QLineEdit(QString::fromStdString(choices.shift), this);
  shift_->setObjectName(QStringLiteral("Shift"));
  shift_->setPlaceholderText(QStringLiteral("0"));
  shift_->setToolTip(
      QStringLiteral("Moves every title: later with a number above 0, earlier "
                     "with one below, for example -48 or +2.5."));
  frames_ = new QRadioButton(QStringLiteral("fra&mes"), this);
  frames_->setObjectName(QStringLiteral("ShiftFrames"));
  seconds_ = new QRadioButton(QStringLiteral("seco&nds"), this);
  seconds_->setObjectName(QStringLiteral("ShiftSeconds"));
  (choices.shiftUnit == ShiftUnit::Seconds ? seconds_ : frames_)->setChecked(true);

  auto* shiftRow = new QHBoxLayout;
  shiftRow->addWidget(shift_, 1);
  shiftRow->addWidget(frames_);
  shiftRow->addWidget(seconds_);
  return shiftRow;
}

TimingChoices TimingDialog::choices() const {
  TimingChoices choices;
  choices.displayRate = RateText(displayRate_);
  choices.fileRate = RateText(fileRate_);
  choices.shift = shift_->text().trimmed().toStdString();
  choices.shiftUnit = seconds_->isChecked() ? ShiftUnit::Seconds : ShiftUnit::Frames;
  return choices;
}

void TimingDialog::TakeFilmRate() {
  DialogTitleFileChooser dialog;
  const QString film = (films_ != nullptr ? films_ : &dialog)->ChooseFilm(this);
  if (film.isEmpty()) return;
  std::string why;
  const std::optional<FilmTracks> read = ReadFilmTracks(QFile::encodeName(film).toStdString(), why);
  if (read && read->frameRate) {
    filmProblem_.clear();
    // As a fraction, so that 24000/1001 stays exact.
    displayRate_->setEditText(
        QStringLiteral("%1/%2").arg(read->frameRate->numerator).arg(read->frameRate->denominator));
  } else {
    filmProblem_ = "The film gives no frame rate: " +
                   (read ? std::string("it has no video stream with a frame rate") : why) + ".";
  }
  Check();
}

void TimingDialog::Check() {
  const std::string problem = TimingProblem(choices());
  // A film that gave no rate is said, but keeps no choice from being made.
  const std::string shown = problem.empty() ? filmProblem_ : problem;
  problem_->setText(QString::fromStdString(shown));
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(problem.empty());
  if (problem_->isHidden() == shown.empty()) return;
  problem_->setVisible(!shown.empty());
  // The dialog grows to show the problem and gives the room back once it has gone. Before it
  // is first shown, showing fits it anyway.
  if (!isVisible()) return;
  layout()->activate();
  resize(width(), hasHeightForWidth() ? heightForWidth(width()) : sizeHint().height());
}

}  // namespace marvek
