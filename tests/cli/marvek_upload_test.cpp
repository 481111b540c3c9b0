// marvek-upload run as a process against the title display simulator.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/program_run.h"
#include "support/expected_image.h"
#include "support/pty_pair.h"
#include "support/served_display.h"
#include "support/temp_dir.h"
#include "title_display_sim/title_display_sim.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

using namespace std::chrono_literals;
using sim::SimOptions;
using sim::TitleDisplaySim;
using testing::ExpectedImage;
using testing::ProgramRun;
using testing::ServedDisplay;
using testing::TempDir;
using Strings = std::vector<std::string>;

const std::string kProgram = MARVEK_UPLOAD_PROGRAM;

const std::string kTitles =
    "{100}{250}\xE8"
    "a\x9A"
    "a\r\n{200}{300}Dobar dan|\xD0"
    "ak\r\n";

// The status lines of standard error, one a line.
Strings Lines(const std::string& text) {
  Strings lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

struct Bench {
  explicit Bench(SimOptions options = {}) : display(std::move(options)) {
    const auto failed = display.Start();
    EXPECT_FALSE(failed.has_value()) << *failed;
  }
  std::string File(const std::string& name, const std::string& bytes) {
    return dir.Write(name, bytes);
  }

  TitleDisplaySim display;
  TempDir dir;
};

TEST(MarvekUpload, UploadsInEachModeWithTheWindowsStatusLines) {
  Bench bench;
  const std::string file = bench.File("film.sub", kTitles);
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    Strings arguments{"--port", bench.display.PortPath(), "-s", "115200", file};
    if (mode == CharMode::PlainLetters) arguments.insert(arguments.begin(), "--plain-letters");
    ProgramRun run(kProgram, arguments);
    ASSERT_EQ(run.Finish(), 0) << run.err();
    EXPECT_EQ(Lines(run.err()),
              (Strings{"Converting " + file, "File successfull converted.", "Uploading...",
                       "File successfull uploaded.", "Finised."}));
    EXPECT_EQ(run.out(), "");
    EXPECT_EQ(bench.display.TakeUpload().image, ExpectedImage(kTitles, mode));
  }
}

TEST(MarvekUpload, EachFailureEndsWithItsOwnExitCodeAndSendsNothing) {
  Bench bench;
  const std::string port = bench.display.PortPath();
  const std::string bad = bench.File("bad.sub", "{1}{2}a\r\n{3}4}b\r\n");
  const std::string srt = bench.File("film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n");
  const std::string good = bench.File("good.sub", kTitles);
  const std::string missingPort = (bench.dir.path() / "ttyNone").string();

  struct Case {
    Strings arguments;
    int exitCode;
    std::string lastLine;  // of standard error
  };
  const std::vector<Case> cases = {
      {{"-p", port, bad}, 1, "Converting aborted !"},
      {{"-p", port, srt}, 1, "Converting aborted !"},
      {{"-p", port, "--fps", "0", srt}, 2, "Run with --help for more information."},
      {{"-p", port}, 2, "Run with --help for more information."},
      {{"--check", "--show", good}, 2, "Run with --help for more information."},
      {{"--no-such-option", good}, 2, "Run with --help for more information."},
      {{"-p", missingPort, good}, 3, "Upload aborted !"},
      {{"-p", port, "-s", "fast", good}, 3, "Upload aborted !"},
      {{"--check", "-s", "0", good}, 3, "Speed \"0\""},
      {{"--check", "--shift", "2.5", good}, 2, "Run with --help for more information."},
      {{"--check", "--shift", "-2s", good}, 2, "Run with --help for more information."},
      {{"--check", "--file-fps", "x", good}, 2, "Run with --help for more information."},
  };
  for (const Case& c : cases) {
    ProgramRun run(kProgram, c.arguments);
    const int code = run.Finish();
    SCOPED_TRACE(::testing::PrintToString(c.arguments) + "\n" + run.err());
    EXPECT_EQ(code, c.exitCode);
    const Strings lines = Lines(run.err());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with(c.lastLine)) << lines.back();
  }
  EXPECT_EQ(bench.display.FrameCount(), 0u);

  // Each says how to mend it in the command line's terms.
  ProgramRun noPort(kProgram, {"-p", "Com0", good});
  EXPECT_EQ(noPort.Finish(), 3);
  EXPECT_EQ(Lines(noPort.err())[2],
            "Port \"Com0\" names no port: --port takes ComN (N from 1 to 9), a device path such "
            "as /dev/ttyUSB0, rfc2217://HOST:PORT or socket://HOST:PORT");
  ProgramRun subRip(kProgram, {"-p", port, srt});
  subRip.Finish();
  EXPECT_EQ(
      Lines(subRip.err())[2],
      "Line 1: this is a SubRip file, whose times need the display's frame rate; use --fps RATE");
}

TEST(MarvekUpload, ASilentDisplayEndsWithExitCode4) {
  SimOptions silent;
  silent.silent = true;
  Bench bench(silent);
  ProgramRun run(kProgram, {"-p", bench.display.PortPath(), bench.File("film.sub", kTitles)});
  EXPECT_EQ(run.Finish(), 4);
  const Strings lines = Lines(run.err());
  ASSERT_EQ(lines.size(), 5u) << run.err();
  EXPECT_EQ(lines[3], "MCU not conected or serial frame wrong ! ");
  EXPECT_EQ(lines[4], "Upload aborted !");
  EXPECT_EQ(bench.display.FrameCount(), 1u);
}

TEST(MarvekUpload, CtrlCOrSigtermStopsTheUploadAndGivesThePortBack) {
  SimOptions silent;
  silent.silent = true;
  Bench bench(silent);
  const std::string file = bench.File("film.sub", kTitles);
  for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    ProgramRun run(kProgram, {"-p", bench.display.PortPath(), file});
    // The first block is out and unanswered: the program waits for the display.
    ASSERT_TRUE(bench.display.WaitForFrames(1, 5s));
    run.Signal(signal);
    EXPECT_EQ(run.Finish(), exitCode);
    EXPECT_EQ(Lines(run.err()).back(), "Upload aborted !");
    EXPECT_EQ(bench.display.TakeUpload().frames.size(), 1u);
  }
  SerialLink again;
  EXPECT_TRUE(again.Open(FromOperatorChoice(bench.display.PortPath(), "9600")));
}

TEST(MarvekUpload, UploadsStandardInputToADisplayServedOverTheNetwork) {
  ServedDisplay served;
  TempDir dir;
  const std::string film = dir.Write("film.sub", kTitles);
  const std::string where = served.Port(false).substr(9);
  ProgramRun run(kProgram, {"-p", served.Port(false), "-"}, -1, film);
  EXPECT_EQ(run.Finish(), 0) << run.err();
  EXPECT_EQ(Lines(run.err()), (Strings{"Converting standard input", "File successfull converted.",
                                       "The line's speed is set by the server at " + where + ".",
                                       "Uploading...", "File successfull uploaded.", "Finised."}));
  EXPECT_EQ(served.display.Image(), ExpectedImage(kTitles, CharMode::DeviceCodes));
}

TEST(MarvekUpload, CtrlCStopsANetworkUpload) {
  SimOptions silent;
  silent.silent = true;
  ServedDisplay served(silent);
  TempDir dir;
  ProgramRun run(kProgram, {"-p", served.Port(true), dir.Write("film.sub", kTitles)});
  ASSERT_TRUE(served.display.WaitForFrames(1, 5s));
  run.Signal(SIGINT);
  EXPECT_EQ(run.Finish(), 130);
  EXPECT_EQ(Lines(run.err()).back(), "Upload aborted !");
}

TEST(MarvekUpload, DrawsItsProgressLineOnlyOnATerminalAndClearsItForStatusLines) {
  SimOptions slow;
  slow.delay = 10ms;
  Bench bench(slow);
  std::string titles;
  for (int i = 0; i < 24; ++i) {
    titles += "{" + std::to_string(i * 50) + "}{" + std::to_string(i * 50 + 40) + "}A title\r\n";
  }
  const std::size_t blocks = ExpectedImage(titles, CharMode::DeviceCodes).size() / 16;
  const std::string file = bench.File("film.sub", titles);
  for (const bool quiet : {false, true}) {
    testing::PtyPair terminal;
    ASSERT_TRUE(terminal.ok());
    Strings arguments{"-p", bench.display.PortPath(), "-s", "115200", file};
    if (quiet) arguments.push_back("--quiet");
    ProgramRun run(kProgram, arguments, terminal.slave());
    ASSERT_EQ(run.Finish(), 0);
    const std::string shown = terminal.Receive(1 << 20, 300ms);
    const std::size_t uploaded = shown.find("File successfull uploaded.");
    ASSERT_NE(uploaded, std::string::npos) << shown;
    if (quiet) {
      EXPECT_EQ(shown.find('\r'), std::string::npos) << shown;
      continue;
    }
    // Blocks ten milliseconds apart: a few redraws, then the line is cleared.
    EXPECT_NE(shown.find("\r[#"), std::string::npos) << shown;
    EXPECT_NE(shown.find("/" + std::to_string(blocks) + " blocks  0:0"), std::string::npos)
        << shown;
    EXPECT_TRUE(shown.substr(0, uploaded).ends_with("\r\033[K")) << shown;
  }
}

TEST(MarvekUpload, ShowsChecksAndWritesTheImageWithoutOpeningThePort) {
  TempDir dir;
  const std::string srt =
      dir.Write("film.srt",
                "1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>Prvi</i>\r\nred\r\n\r\n"
                "2\r\n00:00:02,020 --> 00:00:05,000\r\n{\\an8}\xC4\x8D"
                "a\xC5\xA1"
                "a a}b\r\n");
  ProgramRun show(kProgram, {"--show", "--fps", "25", srt});
  ASSERT_EQ(show.Finish(), 0) << show.err();
  // The second title starts before the first ends, so on the display it follows it.
  EXPECT_EQ(show.out(),
            "{25}{63}Prvi|red\n{63}{125}{}\xC4\x8D"
            "a\xC5\xA1"
            "a a}b\n");

  const std::string sub = dir.Write("film.sub", kTitles);
  ProgramRun check(kProgram, {"--check", "--speed", "19200", sub});
  ASSERT_EQ(check.Finish(), 0) << check.err();
  EXPECT_EQ(check.out(),
            "Titles: 2\nImage: 32 bytes, 2 blocks\nFrames: 100 to 300\n"
            "Upload at 19200 bit/s: about 0.02 s on the line\nFrames as in the file; no shift.\n");

  // The whole file is checked: every problem a line, after the report when it converts.
  const std::string faults =
      dir.Write("faults.sub", "{1}{1}25\r\n{50}{75}a\r\n\r\n{-5}{40}b\r\n{100}{125}c\r\n");
  ProgramRun strict(kProgram, {"--check", faults});
  EXPECT_EQ(strict.Finish(), 1);
  const Strings listed = Lines(strict.out());
  ASSERT_EQ(listed.size(), 3u) << strict.out();
  EXPECT_TRUE(listed[0].starts_with("Line 1: ")) << listed[0];
  EXPECT_TRUE(listed[1].starts_with("Line 3: ")) << listed[1];
  EXPECT_TRUE(listed[2].starts_with("Line 4: ")) << listed[2];
  // With repair it converts, retimed from the file's 25 to the display's 50 and shifted back.
  ProgramRun repaired(kProgram, {"--check", "--repair", "--fps", "50", "--shift", "-1s", faults});
  EXPECT_EQ(repaired.Finish(), 0) << repaired.err();
  EXPECT_NE(repaired.out().find("Titles: 3\n"), std::string::npos) << repaired.out();
  EXPECT_NE(repaired.out().find("Frames retimed from 25 to 50 frames a second.\n"),
            std::string::npos)
      << repaired.out();
  EXPECT_NE(repaired.out().find("Line 4: "), std::string::npos) << repaired.out();

  ProgramRun image(kProgram, {"--output", "-", sub});
  ASSERT_EQ(image.Finish(), 0);
  EXPECT_EQ(image.out(), ExpectedImage(kTitles, CharMode::DeviceCodes));
  const std::string written = (dir.path() / "film.bin").string();
  ProgramRun toFile(kProgram, {"-o", written, "--plain-letters", sub});
  ASSERT_EQ(toFile.Finish(), 0);
  std::ifstream stored(written, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stored), {}),
            ExpectedImage(kTitles, CharMode::PlainLetters));
  ProgramRun cannotWrite(kProgram, {"-o", (dir.path() / "no" / "dir.bin").string(), sub});
  EXPECT_EQ(cannotWrite.Finish(), 5);
}

}  // namespace
}  // namespace marvek
