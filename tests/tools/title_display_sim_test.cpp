#include "title_display_sim/title_display_sim.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace marvek::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Long enough never to cut a working exchange short; only a failing test waits this long.
constexpr auto kPatience = 3s;

// The tool's end of the line, opened with plain POSIX calls as a serial port would be.
class Port {
 public:
  explicit Port(const std::string& path)
      : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
  ~Port() { Close(); }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  bool open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  void Send(std::string_view bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // The bytes of each read until `want` bytes have come, or nothing more came for `patience`.
  std::vector<std::string> ReadPieces(std::size_t want, std::chrono::milliseconds patience) {
    std::vector<std::string> pieces;
    std::size_t got = 0;
    while (got < want) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(patience.count())) != 1 || !(p.revents & POLLIN)) break;
      char buffer[256];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      pieces.emplace_back(buffer, static_cast<std::size_t>(n));
      got += static_cast<std::size_t>(n);
    }
    return pieces;
  }

  std::string Read(std::size_t want, std::chrono::milliseconds patience = kPatience) {
    std::string all;
    for (const std::string& piece : ReadPieces(want, patience)) all += piece;
    return all;
  }

  // True when nothing arrives for `quiet`.
  bool Quiet(std::chrono::milliseconds quiet) { return Read(1, quiet).empty(); }

 private:
  int fd_;
};

// A payload with the bytes a cooked terminal would eat, translate or echo.
std::string Payload(char tag) {
  return std::string("\x03\x04\r\n\x11\x13\x7F\x1A\xFF", 9) + std::string(1, '\0') + " {LR" + tag +
         "\x15";
}

std::string LFrame(char tag) {
  return "L" + Payload(tag);
}

struct Started {
  explicit Started(SimOptions options) : sim(std::move(options)) {
    const auto error = sim.Start();
    EXPECT_FALSE(error) << *error;
    port = std::make_unique<Port>(sim.PortPath());
    EXPECT_TRUE(port->open()) << sim.PortPath();
  }
  TitleDisplaySim sim;
  std::unique_ptr<Port> port;
};

TEST(TitleDisplaySim, AnswersEachFrameAndCollectsTheImageUnchanged) {
  Started s({});
  s.port->Send(LFrame('1'));
  EXPECT_EQ(s.port->Read(1), "R");
  s.port->Send(LFrame('2'));
  EXPECT_EQ(s.port->Read(1), "R");
  ASSERT_TRUE(s.sim.WaitForFrames(2, kPatience));
  EXPECT_EQ(s.sim.Image(), Payload('1') + Payload('2'));
  EXPECT_THAT(s.sim.Frames(), ElementsAre(LFrame('1'), LFrame('2')));
  EXPECT_EQ(s.sim.Received(), LFrame('1') + LFrame('2'));  // and no reply echoed back
  EXPECT_EQ(s.sim.AnsweredFrames(), 2u);
  EXPECT_TRUE(s.sim.Problems().empty());

  // The next upload starts from nothing.
  const Upload first = s.sim.TakeUpload();
  EXPECT_EQ(first.image, Payload('1') + Payload('2'));
  EXPECT_TRUE(first.problems.empty());
  EXPECT_EQ(s.sim.FrameCount(), 0u);
  s.port->Send(LFrame('3'));
  EXPECT_EQ(s.port->Read(1), "R");
  EXPECT_EQ(s.sim.Image(), Payload('3'));
  EXPECT_EQ(s.sim.Received().size(), 3 * TitleDisplaySim::kFrameSize);
  EXPECT_FALSE(s.sim.WaitForFrames(2, 10ms));
}

TEST(TitleDisplaySim, GathersFramesAcrossAndWithinWrites) {
  Started s({});
  const std::string two = LFrame('a') + LFrame('b');
  s.port->Send(two.substr(0, 10));
  EXPECT_TRUE(s.port->Quiet(50ms));
  s.port->Send(two.substr(10) + "L\x01\x02");
  EXPECT_EQ(s.port->Read(2), "RR");
  ASSERT_TRUE(s.sim.WaitForFrames(2, kPatience));
  EXPECT_EQ(s.sim.Image(), Payload('a') + Payload('b'));

  const Upload upload = s.sim.TakeUpload();
  EXPECT_THAT(upload.problems, ElementsAre(HasSubstr("unfinished frame of 3 bytes")));
  s.port->Send(LFrame('c'));  // the dropped bytes do not shift the next frame
  EXPECT_EQ(s.port->Read(1), "R");
  EXPECT_EQ(s.sim.Image(), Payload('c'));
}

TEST(TitleDisplaySim, SendsTheReplyTextAsGiven) {
  Started words({.reply = "OK R"});
  words.port->Send(LFrame('x'));
  EXPECT_EQ(words.port->Read(4), "OK R");

  // Line ends reach the tool untranslated.
  Started lineEnds({.reply = "\rR\n"});
  lineEnds.port->Send(LFrame('x'));
  EXPECT_EQ(lineEnds.port->Read(3), "\rR\n");
}

TEST(TitleDisplaySim, SilentOrAnsweringFewFramesLeavesTheRestUnanswered) {
  Started silent({.silent = true});
  silent.port->Send(LFrame('1'));
  ASSERT_TRUE(silent.sim.WaitForFrames(1, kPatience));
  EXPECT_TRUE(silent.port->Quiet(100ms));
  EXPECT_EQ(silent.sim.Image(), Payload('1'));
  EXPECT_EQ(silent.sim.AnsweredFrames(), 0u);

  Started two({.answer = 2});
  two.port->Send(LFrame('1'));
  EXPECT_EQ(two.port->Read(1), "R");
  two.port->Send(LFrame('2'));
  EXPECT_EQ(two.port->Read(1), "R");
  two.port->Send(LFrame('3'));
  ASSERT_TRUE(two.sim.WaitForFrames(3, kPatience));
  EXPECT_TRUE(two.port->Quiet(100ms));
  EXPECT_EQ(two.sim.AnsweredFrames(), 2u);
  EXPECT_EQ(two.sim.Image().size(), 48u);
}

TEST(TitleDisplaySim, SplitAndDelayedRepliesArriveLater) {
  const auto gap = 40ms;
  Started split({.reply = "OK R", .split = true, .splitGap = gap});
  const auto sent = Clock::now();
  split.port->Send(LFrame('x'));
  const std::vector<std::string> pieces = split.port->ReadPieces(4, kPatience);
  const auto took = Clock::now() - sent;
  EXPECT_GE(pieces.size(), 2u);
  std::string whole;
  for (const std::string& piece : pieces) whole += piece;
  EXPECT_EQ(whole, "OK R");
  EXPECT_GE(took, 3 * gap);

  Started delayed({.delay = 150ms});
  const auto asked = Clock::now();
  delayed.port->Send(LFrame('x'));
  EXPECT_EQ(delayed.port->Read(1), "R");
  EXPECT_GE(Clock::now() - asked, 150ms);
}

TEST(TitleDisplaySim, APacedLineCarriesTenBitsAByteAndAnAdapterHoldsEachReply) {
  // At 2400 bit/s a byte takes 4.17 ms: a frame 70.8 ms, a reply of one byte 4.2 ms.
  const auto byteTime = std::chrono::microseconds(10'000'000 / 2400);
  Started line({.lineSpeed = 2400});
  const auto sent = Clock::now();
  line.port->Send(LFrame('x') + LFrame('y'));  // the second frame queues behind the first
  EXPECT_FALSE(line.sim.WaitForFrames(1, 40ms));
  EXPECT_EQ(line.port->Read(2), "RR");
  EXPECT_GE(Clock::now() - sent, 35 * byteTime);
  EXPECT_EQ(line.sim.Image(), Payload('x') + Payload('y'));

  Started adapter({.lineSpeed = 2400, .adapterLatency = 100ms});
  const auto asked = Clock::now();
  adapter.port->Send(LFrame('z'));
  EXPECT_EQ(adapter.port->Read(1), "R");
  EXPECT_GE(Clock::now() - asked, 18 * byteTime + 100ms);
}

TEST(TitleDisplaySim, FlagsAndIgnoresAFrameNotBeginningWithL) {
  Started s({});
  s.port->Send("X" + Payload('x'));
  ASSERT_TRUE(s.sim.WaitForFrames(1, kPatience));
  EXPECT_TRUE(s.port->Quiet(100ms));
  EXPECT_THAT(s.sim.Problems(), ElementsAre(HasSubstr("frame 1 begins with 0x58")));
  EXPECT_EQ(s.sim.Image(), "");

  s.port->Send(LFrame('y'));
  EXPECT_EQ(s.port->Read(1), "R");
  EXPECT_EQ(s.sim.Image(), Payload('y'));
  EXPECT_EQ(s.sim.FrameCount(), 2u);
  EXPECT_EQ(s.sim.AnsweredFrames(), 1u);
}

// The tool's side of a line that went away: poll() reports a hang-up and neither reading nor
// writing carries data.
void ExpectHungUp(Port& port) {
  pollfd p{port.fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())), 1);
  EXPECT_TRUE(p.revents & POLLHUP) << p.revents;
  char byte;
  EXPECT_LE(::read(port.fd(), &byte, 1), 0);
  EXPECT_EQ(::write(port.fd(), "L", 1), -1);
}

TEST(TitleDisplaySim, HangsUpLikeAnUnpluggedDisplay) {
  Started afterTwo({.hangupAfter = 2});
  afterTwo.port->Send(LFrame('1'));
  EXPECT_EQ(afterTwo.port->Read(1), "R");
  afterTwo.port->Send(LFrame('2'));
  ExpectHungUp(*afterTwo.port);
  EXPECT_TRUE(afterTwo.sim.HungUp());
  EXPECT_EQ(afterTwo.sim.FrameCount(), 2u);
  EXPECT_EQ(afterTwo.sim.AnsweredFrames(), 1u);
  EXPECT_FALSE(afterTwo.sim.WaitForFrames(3, kPatience));

  Started onRequest({});
  onRequest.sim.HangUp();
  EXPECT_TRUE(onRequest.sim.HungUp());
  ExpectHungUp(*onRequest.port);

  TitleDisplaySim atStart({.hangupAfter = 0});
  ASSERT_FALSE(atStart.Start());
  EXPECT_TRUE(atStart.HungUp());
  EXPECT_FALSE(Port(atStart.PortPath()).open());
}

TEST(TitleDisplaySim, KeepsServingWhileTheToolClosesAndReopensThePort) {
  Started s({});
  s.port->Send(LFrame('1'));
  EXPECT_EQ(s.port->Read(1), "R");
  s.port->Close();
  // A display without its own hold on the line would see the hang-up here and stop.
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(s.sim.HungUp());

  Port again(s.sim.PortPath());
  ASSERT_TRUE(again.open());
  again.Send(LFrame('2'));
  EXPECT_EQ(again.Read(1), "R");
  EXPECT_EQ(s.sim.Image(), Payload('1') + Payload('2'));
}

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST(TitleDisplaySim, StartsOnceAndLeavesNothingOpen) {
  const std::size_t before = OpenDescriptors();
  std::string path;
  {
    TitleDisplaySim sim;
    EXPECT_EQ(sim.PortPath(), "");
    ASSERT_FALSE(sim.Start());
    path = sim.PortPath();
    EXPECT_THAT(path, ::testing::StartsWith("/dev/pts/"));
    EXPECT_THAT(sim.Start().value_or(""), HasSubstr("already started"));
    Port port(path);
    port.Send(LFrame('x'));
    EXPECT_EQ(port.Read(1), "R");
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_FALSE(Port(path).open());  // the port is gone with the display
}

}  // namespace
}  // namespace marvek::sim
