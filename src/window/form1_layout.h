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

// The size of the window's client area below the menu bar, in pixels.
inline constexpr int kClientWidth = 320;
inline constexpr int kClientHeight = 261;

// Creates the controls on `client` at their fixed places, with their captions, fonts, colours
// and tab order, and fixes the client's size. The combo boxes get their texts but no lists.
Form1Controls LayOutForm1(QWidget* client);

}  // namespace marvek
