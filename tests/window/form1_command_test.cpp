// Convert/Upload and File > Open driven through the window's own controls.
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "convert/title_image.h"
#include "form1_probe.h"
#include "scripted_chooser.h"
#include "support/expected_image.h"
#include "support/pty_pair.h"
#include "support/recording_panel.h"
#include "support/served_display.h"
#include "support/temp_dir.h"
#include "upload/serial_link.h"
#include "window/form1.h"
#include "window/window_arguments.h"

#include "answering_device.h"

namespace marvek {
namespace {

using testing::Entries;
using testing::Find;
using testing::ScriptedChooser;

// Two titles in Windows-1250, with letters that the two character modes send differently.
constexpr std::string_view kTitles =
    "{0}{50}\xE8"
    "arobnjak\r\n"
    "{60}{120}\x9E"
    "a\x9E"
    "a \xF0"
    "ak\r\n";

const char* const kInputs[] = {"Command1", "Option1", "Option2", "cboPort", "cboSpeed"};

// The window with a chooser the test answers, shown on the offscreen screen.
class Form1Command : public ::testing::Test {
 protected:
  Form1Command() : chooser(new ScriptedChooser), form(std::unique_ptr<ScriptedChooser>(chooser)) {
    form.show();
  }

  void Open(const QString& answer) {
    chooser->Answer(answer);
    Find<QAction>(form, "Otvori")->trigger();
  }
  void Press() { QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton); }
  QStringList Status() const { return Entries(Find<QListWidget>(form, "List1")); }
  std::vector<bool> InputsEnabled() const {
    std::vector<bool> enabled;
    for (const char* input : kInputs) enabled.push_back(Find<QWidget>(form, input)->isEnabled());
    return enabled;
  }
  // Replaces the text of an editable box by typing.
  void Type(const char* box, const std::string& text) {
    QLineEdit* edit = Find<QComboBox>(form, box)->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
  }

  ScriptedChooser* chooser;  // owned by the form
  Form1 form;
  testing::TempDir dir;
};

TEST_F(Form1Command, WithNoFileSaysSoAndLeavesTheInputsEnabled) {
  Press();
  EXPECT_EQ(Status(), (QStringList{"Ready...", "File not selected !"}));
  EXPECT_EQ(InputsEnabled(), std::vector<bool>(5, true));
  EXPECT_EQ(Find<QProgressBar>(form, "ProgressBar1")->value(), 0);
}

TEST_F(Form1Command, OpenKeepsAnyNameAndACancelForgetsTheEarlierFile) {
  const QString chosen = QString::fromStdString(dir.Write("titles.txt", kTitles));
  Open(chosen);
  EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected " + chosen}));

  // Choosing neither opens nor checks the file.
  Open("/nowhere/film.srt");
  EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected /nowhere/film.srt"}));

  Open(QString());
  EXPECT_EQ(Status(), QStringList{"Ready..."});
  Press();
  EXPECT_EQ(Status(), (QStringList{"Ready...", "File not selected !"}));
  EXPECT_EQ(chooser->asked(), 3);
}

TEST_F(Form1Command, ConvertsAndUploadsToATypedPortWithThePickedSpeedAndMode) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const std::string file = dir.Write("titles.txt", kTitles);
  Open(QString::fromStdString(file));
  Type("cboPort", pty.path());
  Find<QComboBox>(form, "cboSpeed")->setCurrentIndex(1);  // 19200

  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    SCOPED_TRACE(mode == CharMode::DeviceCodes ? "device codes" : "plain letters");
    if (mode == CharMode::PlainLetters) {
      QTest::mouseClick(Find<QRadioButton>(form, "Option1"), Qt::LeftButton);
      Open(QString::fromStdString(file));
    }
    testing::AnsweringDevice device(pty.master());

    // Inside the run: the inputs while events are handled, the port's speed once it is open.
    std::vector<bool> enabledDuringRun;
    QTimer::singleShot(0, &form, [&] { enabledDuringRun = InputsEnabled(); });
    speed_t speedDuringUpload = 0;
    const auto watch = QObject::connect(Find<QListWidget>(form, "List1")->model(),
                                        &QAbstractItemModel::rowsInserted, &form, [&] {
                                          if (Status().back() != "Uploading...") return;
                                          termios tio{};
                                          ::tcgetattr(pty.slave(), &tio);
                                          speedDuringUpload = ::cfgetospeed(&tio);
                                        });
    Press();
    QObject::disconnect(watch);

    const QString path = QString::fromStdString(file);
    EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected " + path, "Converting " + path,
                                     "File successfull converted.", "Uploading...",
                                     "File successfull uploaded.", "Finised."}));
    EXPECT_EQ(device.Image(), testing::ExpectedImage(kTitles, mode));
    EXPECT_EQ(enabledDuringRun, std::vector<bool>(5, false));
    EXPECT_EQ(speedDuringUpload, static_cast<speed_t>(B19200));
    EXPECT_EQ(InputsEnabled(), std::vector<bool>(5, true));
    EXPECT_EQ(Find<QProgressBar>(form, "ProgressBar1")->value(), 0);
  }
}

TEST_F(Form1Command, OpenDuringARunLeavesTheRunWithTheFileItStartedWith) {
  const std::string missing = (dir.path() / "gone.txt").string();
  const QString next = QString::fromStdString(dir.Write("next.txt", kTitles));
  Open(QString::fromStdString(missing));
  QTimer::singleShot(0, &form, [&] { Open(next); });
  Press();
  const QStringList status = Status();
  ASSERT_EQ(status.size(), 4) << status.join('\n').toStdString();
  EXPECT_EQ(status.at(0), "Ready...");
  EXPECT_EQ(status.at(1), "Selected " + next);
  EXPECT_TRUE(status.at(2).startsWith(QString::fromStdString(missing) + " cannot be read: "));
  EXPECT_EQ(status.at(3), "Converting aborted !");
}

TEST_F(Form1Command, TheWaitForAnAnswerServesTheWindowAndWakesForTheAnswer) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const QString file = QString::fromStdString(dir.Write("titles.txt", kTitles));
  const QString next = QString::fromStdString(dir.Write("next.txt", kTitles));
  Open(file);
  Type("cboPort", pty.path());
  // The device starts answering only once File > Open has run inside the wait for the first
  // answer; that answer then ends the wait.
  std::optional<testing::AnsweringDevice> device;
  const auto watch = QObject::connect(Find<QListWidget>(form, "List1")->model(),
                                      &QAbstractItemModel::rowsInserted, &form, [&] {
                                        if (Status().back() != "Uploading...") return;
                                        QTimer::singleShot(0, &form, [&] {
                                          Open(next);
                                          device.emplace(pty.master());
                                        });
                                      });
  Press();
  QObject::disconnect(watch);
  EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected " + next, "File successfull uploaded.",
                                   "Finised."}));
  ASSERT_TRUE(device.has_value());
  EXPECT_EQ(device->Image(), testing::ExpectedImage(kTitles, CharMode::DeviceCodes));
}

TEST_F(Form1Command, SaysInItsOwnWordsHowToMendAPortOrASubRipFile) {
  const std::string subRip = dir.Write("film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n");
  Open(QString::fromStdString(subRip));
  Press();
  EXPECT_TRUE(
      Status().contains("Line 1: this is a SubRip file, whose times need the display's "
                        "frame rate; set the display's frame rate in Options > Timing..."))
      << Status().join('\n').toStdString();

  // A blank line is refused with the way to repair it; with Options > Repair title files the
  // same file converts.
  Open(QString::fromStdString(dir.Write("blank.sub", "{1}{2}a\r\n\r\n{3}{4}b\r\n")));
  Press();
  EXPECT_TRUE(Status().contains("Options > Repair title files leaves out or mends such lines."))
      << Status().join('\n').toStdString();
  Find<QAction>(form, "RepairTitleFiles")->trigger();
  Press();
  Find<QAction>(form, "RepairTitleFiles")->trigger();
  EXPECT_TRUE(Status().contains("File successfull converted.") &&
              Status().contains("Repair left out 1 blank line (line 2)."))
      << Status().join('\n').toStdString();

  Open(QString::fromStdString(dir.Write("titles.txt", kTitles)));
  Type("cboPort", "Com");
  Press();
  EXPECT_TRUE(
      Status().contains("Port \"Com\" names no port: choose Com1 or Com2, or type a device path "
                        "such as /dev/ttyUSB0"))
      << Status().join('\n').toStdString();
  EXPECT_EQ(Status().back(), "Upload aborted !");
}

TEST_F(Form1Command, AFileNamedOnTheCommandLineIsChosenByItsBytesAndAMissingOneAllTheSame) {
  // A Windows-1250 name that is not UTF-8, named relative to the current folder.
  const std::string name =
      "\xC8"
      "arobnjak.sub";
  const std::string file = dir.Write(name, "no braces here\r\n");
  const std::filesystem::path folder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string relative = "./" + name;
  const char* argv[] = {"marvek", relative.c_str()};
  const WindowArguments arguments = ReadWindowArguments(2, argv);
  std::filesystem::current_path(folder);
  ASSERT_EQ(arguments.action, WindowArguments::Action::OpenWindow);
  EXPECT_EQ(arguments.titleFile, file);

  Open(QStringLiteral("/earlier/choice.txt"));
  form.SelectTitleFile(arguments.titleFile);
  const QString shown = QString::fromStdString(file);
  EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected " + shown}));
  // The file is found by its bytes: it is read and refused for its line, no port is opened.
  Press();
  EXPECT_TRUE(Status().contains(shown + " is incorrect for converting."))
      << Status().join('\n').toStdString();
  EXPECT_EQ(Status().back(), "Converting aborted !");

  const std::string missing = (dir.path() / "gone.sub").string();
  form.SelectTitleFile(missing);
  EXPECT_EQ(Status(), (QStringList{"Ready...", "Selected " + QString::fromStdString(missing)}));
  Press();
  ASSERT_EQ(Status().size(), 5) << Status().join('\n').toStdString();
  EXPECT_TRUE(Status().at(3).startsWith(QString::fromStdString(missing) + " cannot be read: "));
  EXPECT_EQ(Status().at(4), "Converting aborted !");
}

// The death-test child runs the test again from its start, in a new process, and ends without
// cleaning up. It makes no device or file of its own: it uses the parent's, named here.
constexpr const char* kPortVariable = "MARVEK_FORM1_TEST_PORT";
constexpr const char* kFileVariable = "MARVEK_FORM1_TEST_FILE";

// How the program ends when the window did not end it well.
constexpr int kNotEndedInTime = 3;
constexpr int kPortStillHeld = 4;

// Starts an upload to a display that never answers from the event loop, as the program's own
// does, and ends the window with `end` at the first events handled after the status line that
// begins with `after`: "Converting" ends it in the half-second pause, "Uploading..." while the
// first frame waits for its answer. The program then ends as the marvek program does, with the
// code of the event loop, once the port is free; or with kNotEndedInTime when the event loop
// runs on for two seconds after `end`.
[[noreturn]] void EndWhileTheCommandRuns(const std::string& port, const std::string& file,
                                         void (*end)(Form1&), const QString& after) {
  auto* chooser = new ScriptedChooser;
  Form1 form{std::unique_ptr<ScriptedChooser>(chooser)};
  form.show();
  chooser->Answer(QString::fromStdString(file));
  Find<QAction>(form, "Otvori")->trigger();
  Find<QComboBox>(form, "cboPort")->setEditText(QString::fromStdString(port));
  auto* list = Find<QListWidget>(form, "List1");
  bool ended = false;
  QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, &form, [&] {
    if (ended || !Entries(list).back().startsWith(after)) return;
    ended = true;
    QTimer::singleShot(0, &form, [&] {
      end(form);
      QTimer::singleShot(2000, [] { QCoreApplication::exit(kNotEndedInTime); });
    });
  });
  QTimer::singleShot(0, &form, [&] { Find<QPushButton>(form, "Command1")->click(); });
  const int code = QApplication::exec();
  // The port was given back by the window, not by the end of the process.
  if (!SerialLink().Open(FromOperatorChoice(port, "9600"))) std::_Exit(kPortStillHeld);
  std::_Exit(code);
}

void ExpectEndsAtOnceAndFreesThePort(void (*end)(Form1&), const QString& after = "Uploading...") {
  std::optional<testing::PtyPair> pty;
  std::optional<testing::TempDir> dir;
  if (std::getenv(kPortVariable) == nullptr) {
    pty.emplace();
    ASSERT_TRUE(pty->ok());
    dir.emplace();
    ::setenv(kPortVariable, pty->path().c_str(), 1);
    ::setenv(kFileVariable, dir->Write("titles.txt", kTitles).c_str(), 1);
  }
  const std::string port = std::getenv(kPortVariable);
  const std::string file = std::getenv(kFileVariable);

  EXPECT_EXIT(EndWhileTheCommandRuns(port, file, end, after), ::testing::ExitedWithCode(0), "");
  ::unsetenv(kPortVariable);
  ::unsetenv(kFileVariable);

  ASSERT_TRUE(pty.has_value()) << kPortVariable << " was set before the test";
  // Exclusive use ends with the program, although the device is still held open.
  int exclusive = -1;
  ASSERT_EQ(::ioctl(pty->slave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  SerialLink link;
  EXPECT_TRUE(link.Open(FromOperatorChoice(port, "9600"))) << link.LastFailure();
}

TEST(Form1DeathTest, FileExitDuringAnUploadEndsAtOnceAndFreesThePort) {
  ExpectEndsAtOnceAndFreesThePort([](Form1& form) { Find<QAction>(form, "FajlIzlaz")->trigger(); });
}

TEST(Form1DeathTest, FileExitDuringThePauseBeforeConvertingEndsAtOnce) {
  ExpectEndsAtOnceAndFreesThePort([](Form1& form) { Find<QAction>(form, "FajlIzlaz")->trigger(); },
                                  "Converting ");
}

TEST(Form1DeathTest, ClosingTheWindowDuringAnUploadEndsAtOnceAndFreesThePort) {
  ExpectEndsAtOnceAndFreesThePort([](Form1& form) { form.close(); });
}

TEST_F(Form1Command, UploadsToADisplayServedOverTheNetworkInBothForms) {
  const std::string file = dir.Write("titles.txt", kTitles);
  Open(QString::fromStdString(file));
  Find<QComboBox>(form, "cboSpeed")->setCurrentIndex(1);  // 19200
  // The speed reaches the far line over RFC 2217; over raw TCP it stays the server's.
  for (const auto& [comPortControl, lineSpeed] : {std::pair{true, 19200L}, {false, 9600L}}) {
    testing::ServedDisplay served;
    Type("cboPort", served.Port(comPortControl));
    Press();
    EXPECT_EQ(Status().back(), "Finised.") << Status().join('\n').toStdString();
    EXPECT_EQ(served.display.Image(), testing::ExpectedImage(kTitles, CharMode::DeviceCodes));
    EXPECT_EQ(served.display.LineSpeedSetting(), lineSpeed);
  }
}

}  // namespace
}  // namespace marvek
