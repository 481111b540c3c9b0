#include "command/convert_upload.h"

#include <gtest/gtest.h>

#include "convert/title_image.h"
#include "support/expected_image.h"
#include "support/panel_expectations.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"
#include "title_display_sim/title_display_sim.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using sim::SimOptions;
using sim::TitleDisplaySim;
using testing::ExpectedImage;
using testing::ExpectFramedByInputs;
using testing::RecordingPanel;
using testing::TempDir;
using Kind = RecordingPanel::Kind;

// Two titles with Central European letters, CR LF after each.
const std::string kTitles =
    "{100}{250}\xE8"
    "a\x9A"
    "a\r\n{300}{400}Dobro ve\xE8"
    "e|\xD0"
    "ak\r\n";

struct Station {
  explicit Station(SimOptions options = {}) : display(std::move(options)) {
    const auto failed = display.Start();
    EXPECT_FALSE(failed.has_value()) << *failed;
  }
  void Press(const std::string& file, CharMode mode = CharMode::DeviceCodes,
             const std::string& speed = "115200") {
    ConvertUpload(file, mode, display.PortPath(), speed, panel);
  }

  TitleDisplaySim display;
  RecordingPanel panel;
  TempDir dir;
};

TEST(ConvertUpload, ASuccessfulRunReportsEachStageAndLoadsTheExactImage) {
  Station run;
  const std::string file = run.dir.Write("film.sub", kTitles);
  const auto start = std::chrono::steady_clock::now();
  run.Press(file, CharMode::PlainLetters);

  EXPECT_EQ(run.panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.", "Uploading...",
                     "<beep>", "File successfull uploaded.", "Finised."}));
  EXPECT_EQ(run.display.Image(), ExpectedImage(kTitles, CharMode::PlainLetters));
  ExpectFramedByInputs(run.panel);
  // The half-second pause comes before the file is read, and the window is served meanwhile.
  EXPECT_GE(run.panel.TimeOf("File successfull converted.") - start, 500ms);
  EXPECT_GT(run.panel.processEventsCalls, 0);

  // The bar follows the conversion, drops to 0, follows the upload to 100, and ends at 0.
  const std::vector<float>& p = run.panel.progress;
  const std::size_t blocks = run.display.Image().size() / 16;
  ASSERT_EQ(p.size(), 2 + 1 + blocks + 1);
  EXPECT_LT(p[0], p[1]);
  EXPECT_FLOAT_EQ(p[1], (kTitles.size() - 2.0f) / kTitles.size() * 100);
  EXPECT_EQ(p[2], 0.0f);
  EXPECT_EQ(p[3], 100.0f / blocks);
  EXPECT_EQ(p[2 + blocks], 100.0f);
  EXPECT_EQ(p.back(), 0.0f);

  // A second press piles its messages below the first run's.
  run.display.TakeUpload();
  run.Press(file);
  ASSERT_EQ(run.panel.statuses.size(), 10u);
  EXPECT_EQ(run.panel.statuses[4], "Finised.");
  EXPECT_EQ(run.panel.statuses[5], "Converting " + file);
  EXPECT_EQ(run.panel.statuses[9], "Finised.");
  EXPECT_EQ(run.display.Image(), ExpectedImage(kTitles, CharMode::DeviceCodes));
}

TEST(ConvertUpload, NothingIsReadOrSentWithoutAFileOrWithABadOne) {
  Station run;
  run.Press("");
  EXPECT_EQ(run.panel.StatusesAndBeeps(), Strings{"File not selected !"});
  ExpectFramedByInputs(run.panel);

  // While the port is held by someone else the command could not open it: the messages show
  // that it never tried.
  SerialLink holder;
  ASSERT_TRUE(holder.Open(FromOperatorChoice(run.display.PortPath(), "9600")));

  const std::string layout = run.dir.Write("layout.sub", "{1}{2}a\r\n{3}4}b\r\n{5}{6}c\r\n");
  RecordingPanel badLayout;
  ConvertUpload(layout, CharMode::DeviceCodes, run.display.PortPath(), "9600", badLayout);
  EXPECT_EQ(
      badLayout.StatusesAndBeeps(),
      (Strings{"Converting " + layout, layout + " is incorrect for converting.",
               "Line 2: not in the {start}{end}text layout: \"{3}4}b\"", "Converting aborted !"}));
  ExpectFramedByInputs(badLayout);

  const std::string number = run.dir.Write("number.sub", "{1}{2}a\r\n{3}{4x}b\r\n");
  RecordingPanel badNumber;
  ConvertUpload(number, CharMode::DeviceCodes, run.display.PortPath(), "9600", badNumber);
  EXPECT_EQ(badNumber.StatusesAndBeeps(),
            (Strings{"Converting " + number, number + " is incorrect for converting.",
                     "Line 2: end frame \"4x\" is not a number", "Converting aborted !"}));

  // Without a frame rate a SubRip file is refused with what it is and what it lacks; how to give
  // a rate is the face's to add.
  const std::string subRip =
      run.dir.Write("film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n");
  RecordingPanel badSubRip;
  ConvertUpload(subRip, CharMode::DeviceCodes, run.display.PortPath(), "9600", badSubRip);
  EXPECT_EQ(badSubRip.StatusesAndBeeps(),
            (Strings{"Converting " + subRip, subRip + " is incorrect for converting.",
                     "Line 1: this is a SubRip file, whose times need the display's frame rate",
                     "Converting aborted !"}));

  const std::string missing = (run.dir.path() / "gone.sub").string();
  RecordingPanel unreadable;
  ConvertUpload(missing, CharMode::DeviceCodes, run.display.PortPath(), "9600", unreadable);
  EXPECT_EQ(
      unreadable.StatusesAndBeeps(),
      (Strings{"Converting " + missing, missing + " cannot be read: No such file or directory",
               "Converting aborted !"}));
  ExpectFramedByInputs(unreadable);
  EXPECT_EQ(run.display.FrameCount(), 0u);
}

TEST(ConvertUpload, APortThatCannotBeUsedIsNamedWithItsReasonAndThePortsFound) {
  Station run;
  const std::string file = run.dir.Write("film.sub", kTitles);
  const Strings converted{"Converting " + file, "<beep>", "File successfull converted."};
  const std::vector<SerialPortInfo> machinePorts{
      {"/dev/ttyS0", "", "serial"},
      {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0",
       "FTDI FT232R USB UART"}};
  const std::string found =
      "Serial ports found: /dev/ttyS0 (serial), /dev/ttyUSB0 (FTDI FT232R USB UART)";
  int listings = 0;
  const SerialPortLister listPorts = [&] {
    ++listings;
    return machinePorts;
  };
  const auto expect = [&](const std::string& port, const std::string& speed, const Strings& why) {
    RecordingPanel panel;
    RunCommand({.titleFile = file, .port = port, .speed = speed, .listPorts = listPorts}, panel);
    Strings lines = converted;
    lines.insert(lines.end(), why.begin(), why.end());
    lines.insert(lines.end(), {"Upload aborted !", "<beep>"});
    EXPECT_EQ(panel.StatusesAndBeeps(), lines);
    ExpectFramedByInputs(panel);
  };
  expect("Com0", "9600", {FromOperatorChoice("Com0", "9600").problem, found});
  // A speed the port cannot take is no reason to look for another port.
  expect(run.display.PortPath(), "fast", {FromOperatorChoice("Com1", "fast").problem});
  EXPECT_EQ(listings, 1);
  expect("/dev/marvek-no-such-port", "9600",
         {"Port /dev/marvek-no-such-port cannot be opened: No such file or directory", found});
  {
    SerialLink holder;
    ASSERT_TRUE(holder.Open(FromOperatorChoice(run.display.PortPath(), "9600")));
    expect(
        run.display.PortPath(), "9600",
        {"Port " + run.display.PortPath() + " cannot be opened: in use by another program", found});
  }
  EXPECT_EQ(listings, 3);
  RecordingPanel none;
  RunCommand({.titleFile = file,
              .port = "Com0",
              .speed = "9600",
              .listPorts = [] { return std::vector<SerialPortInfo>{}; }},
             none);
  EXPECT_EQ(none.statuses.at(3), "No serial ports found.");
  EXPECT_EQ(run.display.FrameCount(), 0u);
}

TEST(ConvertUpload, ADeviceThatDoesNotAnswerAbortsTheUploadAndFreesThePort) {
  SimOptions lowercase;
  lowercase.reply = "ok r";  // a small r is no acknowledgement
  Station run(lowercase);
  const std::string file = run.dir.Write("film.sub", kTitles);
  const auto start = std::chrono::steady_clock::now();
  run.Press(file);

  EXPECT_EQ(run.panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.", "Uploading...",
                     "MCU not conected or serial frame wrong ! ", "Upload aborted !", "<beep>"}));
  EXPECT_GE(run.panel.TimeOf("Upload aborted !") - start, 3500ms);
  EXPECT_EQ(run.display.FrameCount(), 1u);
  ExpectFramedByInputs(run.panel);
  SerialLink next;  // the port was closed: the next press can open it
  EXPECT_TRUE(next.Open(FromOperatorChoice(run.display.PortPath(), "9600")));
}

TEST(ConvertUpload, ADeviceThatGoesAwayMidUploadIsASerialPortError) {
  SimOptions unplug;
  unplug.hangupAfter = 1;
  Station run(unplug);
  const std::string file =
      run.dir.Write("film.sub", std::string("\xEF\xBB\xBF") + "{1}{2}\xC4\x8D\r\n");
  run.Press(file);
  EXPECT_EQ(run.panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.",
                     "Title file read as UTF-8.", "Uploading...",
                     "Serial port error: the device is gone (Input/output error)",
                     "Upload aborted !", "<beep>"}));
  ExpectFramedByInputs(run.panel);
}

TEST(ConvertUpload, AFileInAnotherEncodingIsNamedAndSentInWindows1250) {
  Station run;
  // Serbian in Windows-1251, and its twin in Serbian Latin in Windows-1250.
  std::string cyrillic, latin;
  for (int i = 1; i <= 6; ++i) {
    const std::string frames =
        "{" + std::to_string(i * 100) + "}{" + std::to_string(i * 100 + 50) + "}";
    cyrillic += frames +
                "\xA3\xE0\xE1\xF3\xEA\xE0 \xE8 \xF7\xE0\xF8\xE0, \x8A\xD3\xC1\xC0\xC2 \xE8 "
                "\x8A\xF3\xE1\xE0\xE2\r\n";  // Јабука и чаша, ЉУБАВ и Љубав
    latin += frames +
             "Jabuka i \xE8"
             "a\x9A"
             "a, LJUBAV i Ljubav\r\n";
  }
  const std::string file = run.dir.Write("film.sub", cyrillic);
  run.Press(file);
  EXPECT_EQ(
      run.panel.StatusesAndBeeps(),
      (Strings{"Converting " + file, "<beep>", "File successfull converted.",
               "Title file read as Windows-1251.", "Cyrillic letters written in Latin letters.",
               "Uploading...", "<beep>", "File successfull uploaded.", "Finised."}));
  EXPECT_EQ(run.display.Image(), ExpectedImage(latin, CharMode::DeviceCodes));
}

TEST(ConvertUpload, AWesternFileIsNamedAndItsLettersAreSentAsTheDisplayShowsThem) {
  Station run;
  // French in Windows-1252, and what the display shows of it.
  std::string french, shown;
  for (int i = 1; i <= 10; ++i) {
    const std::string frames =
        "{" + std::to_string(i * 100) + "}{" + std::to_string(i * 100 + 50) + "}";
    french += frames +
              "C\x92"
              "est \xE0 toi de d\xE9"
              "cider, mon fr\xE8re.\r\n";  // C’est à toi de décider, mon frère.
    shown += frames + "C'est a toi de decider, mon frere.\r\n";
  }
  const std::string file = run.dir.Write("film.sub", french);
  run.Press(file);
  EXPECT_EQ(run.panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.",
                     "Title file read as Windows-1252.",
                     "Letters and signs the display cannot show written as plain ones.",
                     "Uploading...", "<beep>", "File successfull uploaded.", "Finised."}));
  EXPECT_EQ(run.display.Image(), ExpectedImage(shown, CharMode::DeviceCodes));
}

TEST(ConvertUpload, RepairSaysWhatItLeftOutAndMendedAfterTheEncoding) {
  TempDir dir;
  const std::string file = dir.Write("film.sub",
                                     "\xEF\xBB\xBF"
                                     "Content-Type: text/plain\n\n{1}{1}23.976\n{10}{20}/Hi\n");
  RecordingPanel panel;
  const ConvertedTitleFile converted =
      ConvertOnly({.titleFile = file, .conversion = {.repair = true}}, panel);
  EXPECT_EQ(converted.outcome, CommandOutcome::Converted);
  EXPECT_EQ(panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.",
                     "Title file read as UTF-8.", "Frame-rate line: 23.976 frames a second.",
                     "Repair left out 1 blank line (line 2), 1 line that is no title (line 1), 1 "
                     "frame-rate line (line 3); mended 1 title with \"/\" starting a line (line "
                     "4)."}));
  EXPECT_EQ(converted.conversion.image,
            std::string("\x00\x0A\x00\x0AHi{", 7) + std::string(9, '\xFF'));
}

// A panel whose operator asks to stop once the status line `at` stands last, or at the first
// progress of the conversion when `at` is empty.
struct StoppingPanel : RecordingPanel {
  explicit StoppingPanel(std::string line) : at(std::move(line)) {}
  bool StopRequested() const override { return stop; }
  void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) override {
    if (!at.empty() && !statuses.empty() && statuses.back() == at) stop = true;
    RecordingPanel::WaitHandlingEvents(descriptor, limit);
  }
  void SetProgress(float percent) override {
    if (at.empty() && !inputsEnabled) stop = true;
    RecordingPanel::SetProgress(percent);
  }
  std::string at;
  bool stop = false;
};

TEST(RunCommand, AStopEndsTheRunThroughItsUsualPathsWhereverItComes) {
  SimOptions silent;
  silent.silent = true;
  Station run(silent);
  const std::string file = run.dir.Write("film.sub", kTitles);
  const CommandRequest request{.titleFile = file,
                               .port = run.display.PortPath(),
                               .speed = "115200",
                               .pauseBeforeConverting = true};

  // While the first block waits for its answer: the port is closed, no beep, nothing more sent.
  StoppingPanel waiting("Uploading...");
  EXPECT_EQ(RunCommand(request, waiting), CommandOutcome::Cancelled);
  EXPECT_EQ(waiting.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.", "Uploading...",
                     "Upload aborted !"}));
  ExpectFramedByInputs(waiting);
  EXPECT_TRUE(run.display.WaitForFrames(1, 5s));
  EXPECT_EQ(run.display.FrameCount(), 1u);
  EXPECT_TRUE(SerialLink().Open(FromOperatorChoice(run.display.PortPath(), "9600")));

  // In the pause, and after the first line of the conversion: the file is not sent.
  StoppingPanel pausing("Converting " + file);
  EXPECT_EQ(RunCommand(request, pausing), CommandOutcome::Cancelled);
  EXPECT_EQ(pausing.StatusesAndBeeps(), (Strings{"Converting " + file, "Converting aborted !"}));
  ExpectFramedByInputs(pausing);
  StoppingPanel converting("");
  EXPECT_EQ(RunCommand(request, converting), CommandOutcome::Cancelled);
  EXPECT_EQ(converting.StatusesAndBeeps(), (Strings{"Converting " + file, "Converting aborted !"}));
  // The first line's progress, then the bar back at 0.
  EXPECT_EQ(converting.progress.size(), 2u);
  EXPECT_EQ(run.display.FrameCount(), 1u);
}

TEST(ConvertOnly, GivesTheFilledImageWithTheCommandsLinesAndOpensNoPort) {
  TempDir dir;
  const std::string file = dir.Write("film.sub", kTitles);
  RecordingPanel panel;
  const ConvertedTitleFile converted =
      ConvertOnly({.titleFile = file, .port = "/dev/marvek-no-such-port"}, panel);
  EXPECT_EQ(converted.outcome, CommandOutcome::Converted);
  EXPECT_EQ(converted.conversion.image, ExpectedImage(kTitles, CharMode::DeviceCodes));
  EXPECT_EQ(panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted."}));
  ExpectFramedByInputs(panel);

  RecordingPanel none;
  EXPECT_EQ(ConvertOnly({}, none).outcome, CommandOutcome::NoFileSelected);
  EXPECT_EQ(none.statuses, Strings{"File not selected !"});
}

TEST(PauseProg, WaitsItsTimeWhileServingTheWindow) {
  RecordingPanel panel;
  const auto start = std::chrono::steady_clock::now();
  PauseProg(0.2f, panel);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
  EXPECT_GT(panel.processEventsCalls, 1);
  // A pause of nothing returns at once, having served nothing.
  RecordingPanel none;
  PauseProg(0, none);
  EXPECT_EQ(none.processEventsCalls, 0);
}

}  // namespace
}  // namespace marvek
