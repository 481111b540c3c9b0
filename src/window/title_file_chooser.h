#pragma once

#include <QString>

class QWidget;

namespace marvek {

// Asks the operator which title file to open. The window asks through this seam so that tests
// can answer in place of a dialog.
class TitleFileChooser {
 public:
  virtual ~TitleFileChooser() = default;

  // The full path of the chosen file, or an empty string when the operator cancels.
  virtual QString ChooseTitleFile(QWidget* parent) = 0;
};

// The open dialog: text files preselected, subtitle files the other choice. It starts where
// the system's dialog starts, and offers the last chosen file again for the rest of the run.
class DialogTitleFileChooser : public TitleFileChooser {
 public:
  QString ChooseTitleFile(QWidget* parent) override;

 private:
  QString lastChosen_;
};

}  // namespace marvek
