#pragma once

#include <QMainWindow>
#include <chrono>
#include <memory>
#include <string>

#include "shared/operator_panel.h"
#include "upload/serial_ports.h"
#include "window/conversion_choices.h"
#include "window/form1_layout.h"
#include "window/title_file_chooser.h"

class QAction;
class QCloseEvent;
class QSettings;
class QEventLoop;

namespace marvek {

// The main window: the status list, the progress bar, the Convert/Upload command with its
// character mode, and the serial port. It is the operator panel the command reports to.
class Form1 : public QMainWindow, public OperatorPanel {
  Q_OBJECT

 public:
  // Asks for title files with the open dialog.
  Form1();
  explicit Form1(std::unique_ptr<TitleFileChooser> chooser);
  // `listPorts` names the machine's serial ports in the port box's help and after a port that
  // cannot be opened.
  Form1(std::unique_ptr<TitleFileChooser> chooser, SerialPortLister listPorts);
  ~Form1() override;

  // The status list grows at the bottom; new lines are neither selected nor scrolled to.
  void AddStatus(const std::string& text) override;
  // Repaints the bar at once, and only when the whole percent it shows changes.
  void SetProgress(float percent) override;
  void SetInputsEnabled(bool enabled) override;
  void Beep() override;
  void ProcessEvents() override;
  // Runs the window's event loop until the port has bytes, the time is up or the window is
  // closed: the menus and the bar stay alive, and the wait costs no processor time.
  void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) override;
  // The window was closed while the command ran.
  bool StopRequested() const override { return closeRequested_; }

  // Chooses `path` (a full path in the local 8-bit encoding) as the title file, as File > Open
  // does when the operator picks a file: the status list starts afresh with "Ready..." and
  // "Selected <path>". The file is neither opened nor checked here.
  void SelectTitleFile(const std::string& path);

  // The Options menu's choices, kept between runs. ConversionOptionsFrom turns them into the
  // options a conversion takes.
  const ConversionChoices& conversionChoices() const { return choices_; }

 protected:
  // While a command runs, the window stays until the command has stopped and given the port
  // back, a moment later; then it closes and the program ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Load();
  void LoadPropertySettings();
  void ResetStatusList();
  void AddMenus();
  void KeepChosenFile(const std::string& path);
  // The track of a film with several text tracks that the operator picks; empty otherwise.
  std::string AskFilmTrack(const std::string& path);

  void Command1_Click();
  void Otvori_Click();
  void FajlIzlaz_Click();
  void O_programu_Click();
  void RepairTitleFiles_Click(bool checked);
  void Timing_Click();
  void ShowTitles_Click();
  void KeepChoices(const ConversionChoices& choices);

  std::unique_ptr<TitleFileChooser> chooser_;
  SerialPortLister listPorts_;
  Form1Controls c_;
  std::string fileName_;  // the chosen title file in the local 8-bit encoding; empty for none
  bool commandRunning_ = false;
  bool closeRequested_ = false;    // closed while the command ran: it is to stop
  QEventLoop* waiting_ = nullptr;  // the loop of WaitHandlingEvents while it runs
  int shownProgress_ = 0;          // the value of ProgressBar1, kept here to compare without a call
  std::unique_ptr<QSettings> settings_;
  ConversionChoices choices_;
  QAction* repairTitleFiles_ = nullptr;
};

}  // namespace marvek
