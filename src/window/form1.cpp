#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

#include "command/convert_upload.h"
#include "command/status_messages.h"
#include "convert/sources/ffmpeg_source.h"
#include "shared/version.h"
#include "window/about_box.h"
#include "window/choice_settings.h"
#include "window/dialog_placement.h"
#include "window/port_box_help.h"
#include "window/timing_dialog.h"
#include "window/titles_dialog.h"
#include "window/titles_view.h"
#include "window/window_hints.h"

namespace marvek {
namespace {

// Where the window's size and place are kept between runs.
constexpr const char* kGeometryKey = "window/geometry";

// Adds `items` to an editable box without choosing one of them: the box keeps showing its text.
void AddItemsKeepingText(QComboBox* box, const QStringList& items) {
  const QString text = box->currentText();
  box->addItems(items);
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

}  // namespace

Form1::Form1() : Form1(std::make_unique<DialogTitleFileChooser>()) {}

Form1::Form1(std::unique_ptr<TitleFileChooser> chooser)
    : Form1(std::move(chooser), ListSerialPorts) {}

Form1::Form1(std::unique_ptr<TitleFileChooser> chooser, SerialPortLister listPorts)
    : chooser_(std::move(chooser)),
      listPorts_(std::move(listPorts)),
      settings_(OpenWindowSettings()),
      choices_(LoadChoices(*settings_)) {
  setWindowTitle(QStringLiteral("Marvek Converter/Uploader v" MARVEK_VERSION));
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Form1Client"));
  c_ = LayOutForm1(client);
  setCentralWidget(client);
  new PortBoxHelp(c_.cboPort, listPorts_);
  AddMenus();
  // It opens as large as the menu bar and the drawn client area together, which is also the
  // smallest it can be; then where and as large as the operator left it.
  resize(minimumSizeHint());
  restoreGeometry(settings_->value(kGeometryKey).toByteArray());

  connect(c_.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  Form_Load();
}

Form1::~Form1() = default;

void Form1::AddMenus() {
  // The menu stays in the window on every desktop, where the client area is laid out under it.
  menuBar()->setNativeMenuBar(false);
  QMenu* fajl = menuBar()->addMenu(QStringLiteral("&File"));
  fajl->setObjectName(QStringLiteral("Fajl"));
  QAction* otvori = fajl->addAction(QStringLiteral("&Open Tittle file ..."));
  otvori->setObjectName(QStringLiteral("Otvori"));
  QAction* showTitles = fajl->addAction(QStringLiteral("Show &titles..."));
  showTitles->setObjectName(QStringLiteral("ShowTitles"));
  showTitles->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  fajl->addSeparator()->setObjectName(QStringLiteral("ExitBar"));
  QAction* izlaz = fajl->addAction(QStringLiteral("E&xit"));
  izlaz->setObjectName(QStringLiteral("FajlIzlaz"));

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->setObjectName(QStringLiteral("Options"));
  repairTitleFiles_ = options->addAction(QStringLiteral("&Repair title files"));
  repairTitleFiles_->setObjectName(QStringLiteral("RepairTitleFiles"));
  repairTitleFiles_->setCheckable(true);
  repairTitleFiles_->setChecked(choices_.repair);
  QAction* timing = options->addAction(QStringLiteral("&Timing..."));
  timing->setObjectName(QStringLiteral("Timing"));

  QAction* oProgramu = menuBar()->addAction(QStringLiteral("&About"));
  oProgramu->setObjectName(QStringLiteral("O_programu"));

  connect(otvori, &QAction::triggered, this, &Form1::Otvori_Click);
  connect(showTitles, &QAction::triggered, this, &Form1::ShowTitles_Click);
  connect(izlaz, &QAction::triggered, this, &Form1::FajlIzlaz_Click);
  connect(repairTitleFiles_, &QAction::triggered, this, &Form1::RepairTitleFiles_Click);
  connect(timing, &QAction::triggered, this, &Form1::Timing_Click);
  connect(oProgramu, &QAction::triggered, this, &Form1::O_programu_Click);
}

void Form1::Form_Load() {
  LoadPropertySettings();
  c_.Option2->setChecked(true);
  ResetStatusList();
}

void Form1::LoadPropertySettings() {
  AddItemsKeepingText(c_.cboPort, {QStringLiteral("Com1"), QStringLiteral("Com2")});
  AddItemsKeepingText(c_.cboSpeed,
                      {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                       QStringLiteral("57600"), QStringLiteral("115200")});
}

void Form1::ResetStatusList() {
  c_.List1->clear();
  AddStatus(status::kReady);
}

void Form1::AddStatus(const std::string& text) {
  auto* item = new QListWidgetItem(QString::fromStdString(text));
  // The whole line, however narrow the window.
  item->setToolTip(item->text());
  c_.List1->addItem(item);
}

void Form1::SetProgress(float percent) {
  // Called after every line of a file of perhaps millions: a report that leaves the whole
  // percent as it was costs a comparison.
  const int shown = static_cast<int>(std::clamp(percent, 0.0f, 100.0f) + 0.5f);
  if (shown == shownProgress_) return;
  shownProgress_ = shown;
  // The bar repaints itself at once, without the event loop, whenever the new value changes
  // what it shows (another block, or the very start or end), and not at all otherwise.
  c_.ProgressBar1->setValue(shown);
}

void Form1::SetInputsEnabled(bool enabled) {
  c_.Command1->setEnabled(enabled);
  c_.Option1->setEnabled(enabled);
  c_.Option2->setEnabled(enabled);
  c_.cboSpeed->setEnabled(enabled);
  c_.cboPort->setEnabled(enabled);
}

void Form1::Beep() {
  QApplication::beep();
}

void Form1::ProcessEvents() {
  QCoreApplication::processEvents();
}

void Form1::WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) {
  if (closeRequested_) return;
  QEventLoop wait;
  QTimer timeUp;
  timeUp.setSingleShot(true);
  timeUp.setTimerType(Qt::PreciseTimer);  // a coarse timer may be late by 5 %
  connect(&timeUp, &QTimer::timeout, &wait, &QEventLoop::quit);
  std::optional<QSocketNotifier> port;
  if (descriptor >= 0) {
    port.emplace(descriptor, QSocketNotifier::Read);
    // Once is enough: left on, it would fire again and again inside a dialog's own event loop
    // (File > Open), where this wait cannot end before the dialog does.
    connect(&*port, &QSocketNotifier::activated, &wait, [&] {
      port->setEnabled(false);
      wait.quit();
    });
  }
  timeUp.start(limit);
  waiting_ = &wait;
  wait.exec();
  waiting_ = nullptr;
}

void Form1::Command1_Click() {
  // The command works on what was chosen when it started, even if a file is opened meanwhile.
  const CommandRequest request{
      .titleFile = fileName_,
      .mode = c_.Option1->isChecked() ? CharMode::PlainLetters : CharMode::DeviceCodes,
      .port = QFile::encodeName(c_.cboPort->currentText()).toStdString(),
      .speed = c_.cboSpeed->currentText().toStdString(),
      .conversion = ConversionOptionsFrom(choices_),
      .pauseBeforeConverting = true,
      .hints = window_hint::WindowHints(),
      .listPorts = listPorts_,
  };
  commandRunning_ = true;
  RunCommand(request, *this);
  commandRunning_ = false;
  // Closed while the command ran: it has stopped and given the port back; now the window goes.
  if (std::exchange(closeRequested_, false)) close();
}

void Form1::Otvori_Click() {
  fileName_.clear();
  ResetStatusList();
  const QString chosen = chooser_->ChooseTitleFile(this);
  if (chosen.isEmpty()) return;
  KeepChosenFile(QFile::encodeName(chosen).toStdString());
}

void Form1::SelectTitleFile(const std::string& path) {
  ResetStatusList();
  KeepChosenFile(path);
}

void Form1::KeepChosenFile(const std::string& path) {
  fileName_ = path;
  choices_.filmTrack = AskFilmTrack(path);
  AddStatus(status::kSelected + fileName_);
}

std::string Form1::AskFilmTrack(const std::string& path) {
  // Asked once, when the film is chosen: Convert/Upload and Show titles then read that track.
  std::string why;
  const std::optional<FilmTracks> film = ReadFilmTracks(path, why);
  if (!film || std::count_if(film->tracks.begin(), film->tracks.end(),
                             [](const FilmTrack& t) { return t.isText; }) < 2) {
    return {};
  }
  return chooser_->ChooseFilmTrack(this, film->tracks).toStdString();
}

void Form1::FajlIzlaz_Click() {
  close();
}

void Form1::O_programu_Click() {
  ShowAboutBox(this);
}

void Form1::RepairTitleFiles_Click(bool checked) {
  ConversionChoices choices = choices_;
  choices.repair = checked;
  KeepChoices(choices);
}

void Form1::Timing_Click() {
  // Opened without a loop of its own, so that a running upload keeps being served meanwhile.
  auto* dialog = new TimingDialog(choices_.timing, this, chooser_.get());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    ConversionChoices choices = choices_;
    choices.timing = dialog->choices();
    KeepChoices(choices);
  });
  dialog->open();
}

void Form1::KeepChoices(const ConversionChoices& choices) {
  choices_ = choices;
  SaveChoices(choices_, *settings_);
}

void Form1::ShowTitles_Click() {
  // Converting a large file takes the window's thread for a while, which a running upload
  // cannot spare: its display waits for every block.
  std::shared_ptr<const TitlesView> view;
  if (commandRunning_) {
    view = std::make_shared<TitlesView>(
        NothingToShow({"Convert/Upload is running: the titles can be shown once it has ended."}));
  } else if (fileName_.empty()) {
    view = std::make_shared<TitlesView>(NothingToShow(
        {status::kFileNotSelected, "Choose a title file with File > Open Tittle file ..."}));
  } else {
    const CharMode mode = c_.Option1->isChecked() ? CharMode::PlainLetters : CharMode::DeviceCodes;
    QuietPanel quiet;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    view = std::make_shared<TitlesView>(ViewTitles(fileName_, mode, choices_, quiet));
    QApplication::restoreOverrideCursor();
  }
  // A window of its own beside the main one, which it leaves as it is.
  auto* dialog = new TitlesDialog(view, c_.cboSpeed->currentText().toStdString(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // A refusal's small box keeps a size and place of its own.
  ShowBeside(dialog, this, dialog->roomySize(), *settings_,
             view->shown() ? "titles/geometry" : "titles/refusalGeometry");
}

void Form1::closeEvent(QCloseEvent* event) {
  if (commandRunning_) {
    closeRequested_ = true;
    if (waiting_ != nullptr) waiting_->quit();
    event->ignore();
    return;
  }
  // restoreGeometry keeps a place that lies off every screen now on the screen it opens on.
  settings_->setValue(kGeometryKey, saveGeometry());
  settings_->sync();
  event->accept();
}

}  // namespace marvek
