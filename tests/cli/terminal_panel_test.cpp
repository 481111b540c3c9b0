#include "cli/terminal_panel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace marvek::cli {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, ShowsTheBarPercentBlocksAndTheTimeLeftAtThePaceSoFar) {
  EXPECT_EQ(TerminalPanel::ProgressLine(0, 10, 0s),
            "[..............................] 0%  0/10 blocks  -:-- left");
  EXPECT_EQ(TerminalPanel::ProgressLine(5, 10, 10s),
            "[###############...............] 50%  5/10 blocks  0:10 left");
  // Three of 400 blocks in 1.5 s: 397 more at that pace take 198.5 s.
  EXPECT_EQ(TerminalPanel::ProgressLine(3, 400, 1500ms),
            "[..............................] 0%  3/400 blocks  3:19 left");
  EXPECT_EQ(TerminalPanel::ProgressLine(12, 10, 2s),
            "[##############################] 100%  10/10 blocks  0:00 left");
  EXPECT_EQ(TerminalPanel::ProgressLine(0, 0, 0s), "");
}

// What the panel wrote, read back from a temporary file.
struct Written {
  Written() : file(std::tmpfile()) {}
  ~Written() { std::fclose(file); }
  std::string Text() const {
    std::fflush(file);
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  std::FILE* file;
};

TEST(TerminalPanel, DrawsTheProgressOnlyDuringTheUploadAndClearsItForTheNextStatusLine) {
  Written out;
  TerminalPanel panel(out.file, true, false);
  panel.AddStatus("Converting film.sub");
  panel.SetProgress(50);  // the conversion's progress is not drawn
  panel.UploadStarting(4);
  panel.SetProgress(25);
  panel.AddStatus("File successfull uploaded.");
  panel.SetProgress(100);  // the upload's status line ended it
  panel.Beep();            // no bell when not asked for
  EXPECT_EQ(out.Text(),
            "Converting film.sub\n"
            "\r[#######.......................] 25%  1/4 blocks  0:00 left\033[K"
            "\r\033[KFile successfull uploaded.\n");

  Written quiet;
  TerminalPanel noLine(quiet.file, false, true);
  noLine.UploadStarting(4);
  noLine.SetProgress(25);
  noLine.Beep();
  EXPECT_EQ(quiet.Text(), "\a");
}

TEST(TerminalPanel, TheWaitEndsWhenThePortHasBytesOrAtItsLimit) {
  TerminalPanel panel(stderr, false, false);
  int port[2];
  ASSERT_EQ(::pipe(port), 0);
  const auto start = std::chrono::steady_clock::now();
  panel.WaitHandlingEvents(port[0], 20ms);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
  ASSERT_EQ(::write(port[1], "R", 1), 1);
  panel.WaitHandlingEvents(port[0], 60s);  // returns at once: the "R" is there
  EXPECT_FALSE(panel.StopRequested());
  ::close(port[0]);
  ::close(port[1]);
}

}  // namespace
}  // namespace marvek::cli
