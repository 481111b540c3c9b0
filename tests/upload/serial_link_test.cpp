#include "upload/serial_link.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/serial.h>
#include <stdlib.h>
#include <sys/ioctl.h>

#include <filesystem>
#include <thread>

#include "support/pty_pair.h"

namespace marvek {
namespace testing {
unsigned long OutputSpeedOf(int fd);
}
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;

LinkSettings Port(const std::string& path, const char* speed = "9600") {
  return FromOperatorChoice(path, speed);
}

TEST(SerialLink, OpensRawEightBitsNoParityWithoutFlowControl) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  termios before{};
  ::tcgetattr(pty.slave(), &before);
  before.c_lflag |= ECHO | ICANON;  // a port left cooked by another program
  ::tcsetattr(pty.slave(), TCSANOW, &before);

  SerialLink link;
  ASSERT_TRUE(link.Open(Port(pty.path(), "19200"))) << link.LastFailure();
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));

  // Every byte goes out as it is and comes in as it is.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  ASSERT_TRUE(link.Write(all));
  EXPECT_EQ(pty.Receive(all.size()), all);
  pty.Send(all);
  ByteString got;
  for (int i = 0; i < 100 && got.size() < all.size(); ++i) {
    ASSERT_TRUE(link.WaitReadable(20ms));
    ASSERT_TRUE(link.ReadAvailable(got));
  }
  EXPECT_EQ(got, all);

  // Closing gives the port back with the settings it had.
  link.Close();
  ::tcgetattr(pty.slave(), &tio);
  EXPECT_NE(tio.c_lflag & ECHO, 0u);
}

TEST(SerialLink, SetsSpeedsThatHaveNoStandardConstant) {
  PtyPair pty;
  SerialLink link;
  ASSERT_TRUE(link.Open(Port(pty.path(), "250000"))) << link.LastFailure();
  EXPECT_EQ(testing::OutputSpeedOf(pty.slave()), 250000u);
}

TEST(SerialLink, TheReceiveBufferIsEmptyWhenThePortOpens) {
  PtyPair pty;
  pty.Send("stale R from before");
  std::this_thread::sleep_for(20ms);
  SerialLink link;
  ASSERT_TRUE(link.Open(Port(pty.path())));
  ByteString got;
  ASSERT_TRUE(link.ReadAvailable(got));
  EXPECT_EQ(got, "");
  pty.Send("R");
  ASSERT_TRUE(link.WaitReadable(2000ms));
  ASSERT_TRUE(link.ReadAvailable(got));
  EXPECT_EQ(got, "R");
}

TEST(SerialLink, RefusesAPortItCannotUseAndSaysWhy) {
  PtyPair pty;
  SerialLink first;
  ASSERT_TRUE(first.Open(Port(pty.path())));
  SerialLink second;
  LinkStatus busy = second.Open(Port(pty.path()));
  EXPECT_FALSE(busy);
  EXPECT_EQ(busy.message, "Port " + pty.path() + " cannot be opened: in use by another program");
  EXPECT_FALSE(second.IsOpen());
  first.Close();  // released at once: the next program gets it
  EXPECT_TRUE(second.Open(Port(pty.path())));

  SerialLink link;
  const LinkStatus missing = link.Open(Port("/dev/marvek-no-such-port"));
  EXPECT_EQ(missing.message,
            "Port /dev/marvek-no-such-port cannot be opened: No such file or directory");
  EXPECT_EQ(missing.error, ENOENT);
  EXPECT_EQ(link.Open(Port("/dev/null")).message,
            "Port /dev/null cannot be opened: not a serial port");
  EXPECT_EQ(link.Open(Port("Com0")).message, FromOperatorChoice("Com0", "9600").problem);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(link.Write("L"));
}

TEST(SerialLink, APortWithNothingBehindItSaysSoInPlainWords) {
  // The other side of a pseudo-terminal that was never unlocked answers an open with EIO, as
  // a built-in port without a UART or a vanished adapter does.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  const std::string path = ::ptsname(master);
  SerialLink link;
  const LinkStatus opened = link.Open(Port(path));
  EXPECT_EQ(opened.message, "Port " + path + " cannot be opened: no serial hardware behind it");
  EXPECT_EQ(opened.error, EIO);
  EXPECT_TRUE(opened.portUnavailable);
  ::close(master);

  // A speed the port refuses is no fault of the port.
  PtyPair pty;
  const LinkStatus speed = link.Open(Port(pty.path(), "fast"));
  EXPECT_FALSE(speed);
  EXPECT_FALSE(speed.portUnavailable);
}

TEST(SerialLink, APseudoTerminalThatRefusesLowLatencyOpensAndIsGivenBackUnchanged) {
  PtyPair pty;
  serial_struct serial{};
  ASSERT_NE(::ioctl(pty.slave(), TIOCGSERIAL, &serial), 0);  // it has no serial driver
  termios before{};
  ::tcgetattr(pty.slave(), &before);
  const int statusBefore = ::fcntl(pty.slave(), F_GETFL);
  {
    SerialLink link;
    ASSERT_TRUE(link.Open(Port(pty.path(), "115200"))) << link.LastFailure();
    ASSERT_TRUE(link.Write("L"));
    EXPECT_EQ(pty.Receive(1), "L");
  }
  termios after{};
  ::tcgetattr(pty.slave(), &after);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(::fcntl(pty.slave(), F_GETFL), statusBefore);
  EXPECT_NE(::ioctl(pty.slave(), TIOCGSERIAL, &serial), 0);
}

TEST(SerialLink, ReportsADeviceThatGoesAway) {
  PtyPair pty;
  SerialLink link;
  ASSERT_TRUE(link.Open(Port(pty.path())));
  pty.CloseMaster();
  // The wait wakes at once and the next read reports the loss; so do later writes.
  ByteString got;
  ASSERT_TRUE(link.WaitReadable(10000ms));
  const LinkStatus read = link.ReadAvailable(got);
  EXPECT_FALSE(read);
  EXPECT_EQ(read.message, "the device is gone (Input/output error)");
  EXPECT_EQ(link.LastFailure(), read.message);
  EXPECT_EQ(link.Write("L").message, "the device is gone (Input/output error)");
}

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(
      std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

TEST(SerialLink, LeavesNoDescriptorBehindOnAnyPath) {
  PtyPair pty;
  SerialLink holder;
  const std::size_t before = OpenDescriptors();
  for (int i = 0; i < 300; ++i) {
    SerialLink link;
    EXPECT_TRUE(link.Open(Port(pty.path())));
    SerialLink busy;
    EXPECT_FALSE(busy.Open(Port(pty.path())));   // fails after open(), at the lock
    EXPECT_FALSE(busy.Open(Port("/dev/null")));  // fails at tcgetattr()
    EXPECT_FALSE(busy.Open(Port("/dev/marvek-no-such-port")));
    // The destructor closes what Close() was not called for.
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace marvek
