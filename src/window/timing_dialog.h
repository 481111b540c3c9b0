#pragma once

#include <QDialog>

#include <string>

#include "window/conversion_choices.h"
#include "window/title_file_chooser.h"

class QComboBox;
class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace marvek {

// Options > Timing...: the display's frame rate, the file's frame rate and a shift. OK stays
// disabled, with the reason shown, while the choices cannot be used.
class TimingDialog : public QDialog {
  Q_OBJECT

 public:
  // The texts that stand for "no rate chosen" in the two rate boxes.
  static const char* const kFramesAsInFile;
  static const char* const kFromFrameRateLine;

  // `films` asks for the film whose frame rate "From a film..." takes; the file dialog if null.
  TimingDialog(const TimingChoices& choices, QWidget* parent = nullptr,
               TitleFileChooser* films = nullptr);

  // The choices as the fields now hold them.
  TimingChoices choices() const;

 private:
  // The shift's field and its unit, made from `choices`.
  QHBoxLayout* ShiftRow(const TimingChoices& choices);
  void Check();
  // "From a film...": the display's frame rate as the chosen film's video states it, exactly.
  void TakeFilmRate();

  QComboBox* displayRate_ = nullptr;
  QComboBox* fileRate_ = nullptr;
  QLineEdit* shift_ = nullptr;
  QRadioButton* frames_ = nullptr;
  QRadioButton* seconds_ = nullptr;
  QLabel* problem_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  TitleFileChooser* films_ = nullptr;
  std::string filmProblem_;  // why the last film chosen gave no rate
};

}  // namespace marvek
