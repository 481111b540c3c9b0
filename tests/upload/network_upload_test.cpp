// Uploads to a display whose line is served over the network, through Debian's ser2net on
// 127.0.0.1 in front of the simulator.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "command/convert_upload.h"
#include "support/expected_image.h"
#include "support/panel_expectations.h"
#include "support/recording_panel.h"
#include "support/served_display.h"
#include "support/temp_dir.h"
#include "upload/block_upload.h"
#include "upload/com_port_control.h"
#include "upload/open_link.h"

namespace marvek {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;
using sim::FreeLoopbackPort;
using sim::SimOptions;
using testing::ExpectFramedByInputs;
using testing::RecordingPanel;
using testing::ServedDisplay;
using testing::TempDir;

const std::string kTitles = "{100}{250}Dobar dan\r\n{300}{400}Laku no\xE6\r\n";

// Blocks that telnet must carry as data: the fill byte everywhere, and bytes that would read as
// telnet commands (IAC SB com-port ... IAC SE, IAC WILL, a CR with a NUL after it).
ByteString TelnetHostileImage() {
  ByteString image(16 * 8, '\xFF');
  image.replace(16, 16,
                std::string("\xFF\xFA\x2C\x01\x00\x00\x4B\x00\xFF\xF0\xFF\xFB\x00\r\0\n", 16));
  image.replace(48, 16, std::string("\r\0\r\n\xFF\xFF\xFF\xFE\x01\xFF\xFD\x2C RRR", 16));
  return image;
}

TEST(NetworkUpload, CarriesTheImageExactlyAndSetsTheFarLineOverRfc2217) {
  struct Case {
    bool comPortControl;
    long lineSpeed;    // what the far line runs at afterwards
    const char* note;  // said once before the upload
  };
  for (const Case c :
       {Case{true, 19200, ""}, Case{false, 9600, "The line's speed is set by the server at "}}) {
    SCOPED_TRACE(c.comPortControl ? "rfc2217" : "socket");
    ServedDisplay served;
    RecordingPanel panel;
    OpenedLink opened =
        OpenDisplayLink(FromOperatorChoice(served.Port(c.comPortControl), "19200"), panel);
    ASSERT_TRUE(opened.link) << opened.status.message;
    const std::string where =
        served.Port(c.comPortControl).substr(served.Port(c.comPortControl).find("//") + 2);
    EXPECT_EQ(opened.link->OpenedNote(), *c.note ? c.note + where + "." : "");
    const ByteString image = TelnetHostileImage();
    EXPECT_EQ(UploadImage(image, *opened.link, panel), UploadOutcome::Uploaded);
    EXPECT_EQ(served.display.Image(), image);
    EXPECT_TRUE(served.display.Problems().empty());
    EXPECT_EQ(served.display.LineSpeedSetting(), c.lineSpeed);
  }
}

TEST(ComPortControl, TelnetCommandsAmongTheRepliesAreNotTheDisplaysAnswer) {
  struct Case {
    std::string received;
    ByteString data;
  };
  // 0x52 is "R": inside a command it is no answer.
  for (const Case& c : {Case{"\xFF\xFA\x2C\x65\x00\x00\x4B\x52\xFF\xF0", ""},
                        Case{"\xFF\xFB\x52\xFF\xFD\x52", ""}, Case{"\xFF\xFF\x52", "\xFF\x52"},
                        Case{std::string("\xFF\xFA\x2C\x6B\x52\xFF\xF0R", 8), "R"}}) {
    ComPortControl telnet;
    ByteString data;
    telnet.Receive(c.received, data);
    EXPECT_EQ(data, c.data);
  }
}

// A listener that takes connections and never says a word: a server that is no RFC 2217 one.
struct MuteServer {
  MuteServer() {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~MuteServer() { ::close(fd); }
  int fd = -1;
  int port = 0;
};

// A panel that calls `during` at each of its waits.
struct WatchingPanel : RecordingPanel {
  void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) override {
    if (during) during(*this);
    RecordingPanel::WaitHandlingEvents(descriptor, limit);
  }
  bool StopRequested() const override { return stop; }
  std::function<void(WatchingPanel&)> during;
  bool stop = false;
};

TEST(NetworkUpload, EachFaultEndsInItsOwnLineWithNothingLeftOpen) {
  SimOptions silent;
  silent.silent = true;
  SimOptions answersOne;
  answersOne.answer = 1;
  ServedDisplay quiet(silent);
  ServedDisplay leaving(answersOne);
  const MuteServer mute;
  const std::string refused = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
  const std::string muteAt = "127.0.0.1:" + std::to_string(mute.port);
  const auto serverLeaves = [&](WatchingPanel&) {
    // The first block is answered; the second waits for its answer when the server goes.
    if (leaving.display.AnsweredFrames() >= 1) leaving.server->Kill();
  };
  struct Case {
    std::string port;
    Strings lines;  // the last lines, before "Upload aborted !"
    CommandOutcome outcome;
    Clock::duration within;
    std::function<void(WatchingPanel&)> during = {};
  };
  const std::string closedBy = leaving.Port(true).substr(10);
  for (const Case& c : {
           Case{"rfc2217://" + refused,
                {"Port rfc2217://" + refused + " cannot be opened: connection refused"},
                CommandOutcome::PortUnusable,
                1s},
           Case{"socket://display.invalid:4001",
                {"Port socket://display.invalid:4001 cannot be opened: the name cannot be found"},
                CommandOutcome::PortUnusable,
                1s},
           Case{"rfc2217://" + muteAt,
                {"Speed 19200 cannot be set on rfc2217://" + muteAt +
                 ": the server did not confirm it"},
                CommandOutcome::PortUnusable,
                4s},
           Case{quiet.Port(true),
                {"Uploading...", "MCU not conected or serial frame wrong ! "},
                CommandOutcome::NoReply,
                4s},
           Case{leaving.Port(true),
                {"Serial port error: the connection was closed by " + closedBy},
                CommandOutcome::LinkFailed,
                2s,
                serverLeaves},
       }) {
    SCOPED_TRACE(c.port);
    TempDir dir;
    WatchingPanel panel;
    panel.during = c.during;
    const Clock::time_point start = Clock::now();
    const CommandOutcome outcome = RunCommand(
        {.titleFile = dir.Write("film.sub", kTitles), .port = c.port, .speed = "19200"}, panel);
    EXPECT_LT(Clock::now() - start, c.within);
    EXPECT_EQ(outcome, c.outcome);
    Strings expected = c.lines;
    expected.push_back("Upload aborted !");
    const Strings& lines = panel.statuses;
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(Strings(lines.end() - static_cast<long>(expected.size()), lines.end()), expected);
    ExpectFramedByInputs(panel);
  }
}

TEST(NetworkUpload, APortAnotherClientHoldsCannotBeOpened) {
  ServedDisplay served;
  RecordingPanel panel;
  const std::string port = served.Port(true);
  const OpenedLink first = OpenDisplayLink(FromOperatorChoice(port, "9600"), panel);
  ASSERT_TRUE(first.link) << first.status.message;
  // ser2net takes the second connection, says the port is in use, and hangs up.
  const OpenedLink second = OpenDisplayLink(FromOperatorChoice(port, "9600"), panel);
  EXPECT_FALSE(second.link);
  EXPECT_EQ(second.status.message,
            "Port " + port + " cannot be opened: the connection was closed by " + port.substr(10));
}

TEST(NetworkUpload, AStopEndsConnectingAndWaitingAlike) {
  SimOptions silent;
  silent.silent = true;
  ServedDisplay quiet(silent);
  const MuteServer mute;
  // While the server is asked for the speed, and while a block waits for its answer.
  for (const auto& [port, stopAfter] :
       {std::pair{"rfc2217://127.0.0.1:" + std::to_string(mute.port),
                  "File successfull converted."},
        std::pair{quiet.Port(true), "Uploading..."}}) {
    SCOPED_TRACE(port);
    TempDir dir;
    WatchingPanel panel;
    panel.during = [stopAfter](WatchingPanel& p) { p.stop = p.statuses.back() == stopAfter; };
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(
        RunCommand({.titleFile = dir.Write("film.sub", kTitles), .port = port, .speed = "19200"},
                   panel),
        CommandOutcome::Cancelled);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(panel.statuses.back(), "Upload aborted !");
    EXPECT_EQ(panel.beeps, 1);  // the conversion's only
  }
  // The connection was given back: the server takes the next one.
  RecordingPanel panel;
  EXPECT_TRUE(OpenDisplayLink(FromOperatorChoice(quiet.Port(true), "9600"), panel).link);
}

}  // namespace
}  // namespace marvek
