#pragma once

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace marvek {

// The controls of the main window, named as the operator's documents name them.
struct Form1Controls {
  QListWidget* List1 = nullptr;
  QGroupBox* Frame4 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QPushButton* Command1 = nullptr;
  QRadioButton* Option1 = nullptr;
  QLabel* Label1 = nullptr;
  QRadioButton* Option2 = nullptr;
  QLabel* Label4 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* cboPort = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* cboSpeed = nullptr;
};

// The size of the window's client area below the menu bar as it opens, in pixels: the smallest
// it can be.
inline constexpr int kClientWidth = 320;
inline constexpr int kClientHeight = 261;

// Creates the controls on `client` at their drawn places, with their captions, fonts, colours
// and tab order, at the client's opening size. The combo boxes get their texts but no lists.
// As the client grows, the status list takes the new room and the frames below keep their size
// at the same distance from the bottom. At its smallest the list scrolls sideways to a long
// line; wider, it wraps the line at its width instead, so that every line reads whole.
Form1Controls LayOutForm1(QWidget* client);

}  // namespace marvek
