// Faults of the title file met by the Convert/Upload command: a file that goes away or turns into
// a folder after it was chosen, a file of random bytes, a 300 MB line, a million good lines
// before a bad one. None of them may send anything, and those that cannot be converted do not even
// open the port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>

#include "fault_station.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

using testing::BarePort;
using testing::ChildRun;
using testing::FaultStation;
using testing::LeanPanel;
using testing::RecordingPanel;
using testing::RunInChild;
using Strings = std::vector<std::string>;

const std::string kTitles =
    "{100}{250}\xE8"
    "a\x9A"
    "a\r\n{300}{400}Dobro ve\xE8"
    "e\r\n";

TEST(ConversionFaults, AFileThatCannotBeReadWhenTheCommandStartsStopsItBeforeThePort) {
  FaultStation station;
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    std::function<std::string(const fs::path&)> choose;  // makes the chosen path
    std::function<void(const fs::path&)> meanwhile;      // during the pause before reading
    std::string reason;
  };
  const auto titleFile = [&](const fs::path& path) {
    return station.dir.Write(path.filename().string(), kTitles);
  };
  const Case cases[] = {
      {"deleted after it was chosen", titleFile, [](const fs::path& p) { fs::remove(p); },
       "No such file or directory"},
      {"replaced by a folder after it was chosen", titleFile,
       [](const fs::path& p) {
         fs::remove(p);
         fs::create_directory(p);
       },
       "Is a directory"},
      {"a folder chosen",
       [](const fs::path& p) {
         fs::create_directory(p);
         return p.string();
       },
       nullptr, "Is a directory"},
      {"a named pipe chosen",
       [](const fs::path& p) {
         ::mkfifo(p.c_str(), 0600);
         return p.string();
       },
       nullptr, "not a regular file"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = c.choose(station.dir.path() / ("case" + std::to_string(++n)));
    RecordingPanel panel;
    bool done = false;
    panel.onProcessEvents = [&] {
      if (c.meanwhile && !std::exchange(done, true)) c.meanwhile(file);
    };
    station.Press(file, CharMode::DeviceCodes, panel);
    EXPECT_EQ(panel.StatusesAndBeeps(),
              (Strings{"Converting " + file, file + " cannot be read: " + c.reason,
                       "Converting aborted !"}));
  }
  EXPECT_EQ(station.display.Received(), "");
  EXPECT_EQ(station.portOpens.Opens(), 0);
}

TEST(ConversionFaults, AFileOfRandomBytesIsIncorrectAndNothingIsSent) {
  FaultStation station;
  std::mt19937 random(20240611);
  std::string bytes(64 * 1024, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  const std::string file = station.dir.Write("noise.sub", bytes);
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    RecordingPanel panel;
    station.Press(file, mode, panel);
    ASSERT_GE(panel.statuses.size(), 3u);
    EXPECT_EQ(panel.statuses[1], file + " is incorrect for converting.");
    EXPECT_EQ(panel.statuses.back(), "Converting aborted !");
    EXPECT_EQ(panel.beeps, 0);
  }
  EXPECT_EQ(station.display.Received(), "");
  EXPECT_EQ(station.portOpens.Opens(), 0);
}

// A file of `size` bytes that begins with `head` and holds nothing but zero bytes after it, made
// without writing them.
std::string SparseFile(const std::filesystem::path& path, std::string_view head, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  EXPECT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  return path.string();
}

TEST(ConversionFaults, ALineOf300MegabytesIsConvertedInBoundedMemory) {
  BarePort port;
  constexpr off_t kSize = 300L * 1024 * 1024;
  // One title whose text runs to the end of the file, with no line end.
  const std::string file = SparseFile(port.dir.path() / "one-line.sub", "{1}{2}", kSize);
  // The port is held, so the command stops at opening it rather than sending 300 MB.
  SerialLink holder;
  ASSERT_TRUE(holder.Open(FromOperatorChoice(port.pty.path(), "9600")));
  const int opensBefore = port.opens.Opens();

  const ChildRun run = RunInChild([&](LeanPanel& panel) {
    RunCommand({.titleFile = file,
                .port = port.pty.path(),
                .speed = "115200",
                .listPorts = [] { return std::vector<SerialPortInfo>{}; }},
               panel);
  });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.statuses,
            (Strings{"Converting " + file, "File successfull converted.",
                     "Port " + port.pty.path() + " cannot be opened: in use by another program",
                     "No serial ports found.", "Upload aborted !"}));
  EXPECT_TRUE(run.inputsEnabled);
  // The line's buffer and the image side by side, about twice the file; no further copies.
  if (!testing::UnderAddressSanitizer()) {
    EXPECT_LT(run.peakGrowthKb, 5 * kSize / 2 / 1024)
        << "peak growth " << run.peakGrowthKb / 1024 << " MB";
  }
  EXPECT_EQ(port.opens.Opens() - opensBefore, 1);  // the one attempt that found it busy
  EXPECT_EQ(port.pty.Receive(1, std::chrono::milliseconds(50)), "");
}

TEST(ConversionFaults, AMillionGoodLinesBeforeABadOneSendNothing) {
  BarePort port;
  constexpr int kLines = 1'000'000;
  std::string contents;
  contents.reserve(40 * kLines);
  char number[16];
  const auto append = [&](long value) {
    contents.append(number, std::to_chars(number, number + sizeof number, value).ptr);
  };
  for (long i = 0; i < kLines; ++i) {
    contents += '{';
    append(i * 30);
    contents += "}{";
    append(i * 30 + 25);
    contents += i % 5 == 0 ? "}{y:i}Na\xE8"
                             "ela, redak "
                           : "}Redak \x9A"
                             "est ";
    append(i);
    contents += "\r\n";
  }
  contents += "{30000000}{3000001x}the last line\r\n";
  const std::string file = port.dir.Write("long.sub", contents);

  const ChildRun run = RunInChild([&](LeanPanel& panel) {
    ConvertUpload(file, CharMode::PlainLetters, port.pty.path(), "115200", panel);
  });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.statuses, (Strings{"Converting " + file, file + " is incorrect for converting.",
                                   "Line 1000001: end frame \"3000001x\" is not a number",
                                   "Converting aborted !"}));
  EXPECT_TRUE(run.inputsEnabled);
  EXPECT_EQ(run.progressCalls, kLines + 1);  // each good line, and 0 at the end
  if (!testing::UnderAddressSanitizer()) {
    EXPECT_LT(run.peakGrowthKb, 2 * static_cast<long>(contents.size()) / 1024)
        << "peak growth " << run.peakGrowthKb / 1024 << " MB";
  }
  EXPECT_EQ(port.opens.Opens(), 0);
  EXPECT_EQ(port.pty.Receive(1, std::chrono::milliseconds(50)), "");
}

}  // namespace
}  // namespace marvek
