#pragma once

#include <QDialog>

#include "window/conversion_choices.h"

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

  TimingDialog(const TimingChoices& choices, QWidget* parent = nullptr);

  // The choices as the fields now hold them.
  TimingChoices choices() const;

 private:
  // The shift's field and its unit, made from `choices`.
  QHBoxLayout* ShiftRow(const TimingChoices& choices);
  void Check();

  QComboBox* displayRate_ = nullptr;
  QComboBox* fileRate_ = nullptr;
  QLineEdit* shift_ = nullptr;
  QRadioButton* frames_ = nullptr;
  QRadioButton* seconds_ = nullptr;
  QLabel* problem_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace marvek
