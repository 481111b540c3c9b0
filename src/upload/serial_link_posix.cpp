// The serial port on Linux, through termios.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "shared/system_reason.h"
#include "upload/serial_link.h"
#include "upload/serial_speed_linux.h"

namespace marvek {

namespace {

// How long a write may wait for room in the port's output queue. It only fills up when the
// port cannot send at all.
constexpr std::chrono::seconds kWriteLimit{3};

struct StandardSpeed {
  int bitsPerSecond;
  speed_t code;
};

constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

const StandardSpeed* FindStandardSpeed(int bitsPerSecond) {
  for (const StandardSpeed& s : kStandardSpeeds) {
    if (s.bitsPerSecond == bitsPerSecond) return &s;
  }
  return nullptr;
}

// A port name can exist with nothing behind it (a built-in port the machine lacks, an adapter
// that was pulled out); the driver then answers "Input/output error", which tells nobody that.
constexpr const char* kNoHardware = "no serial hardware behind it";

std::string OpenFailureReason(int error) {
  if (error == EBUSY || error == EWOULDBLOCK) return "in use by another program";
  if (error == EIO || error == ENXIO || error == ENODEV) return kNoHardware;
  if (error == EACCES) return SystemReason(error) + " (add your user to the dialout group)";
  return SystemReason(error);
}

std::string IoFailureReason(int error) {
  if (error == EIO || error == ENXIO || error == ENODEV) {
    return "the device is gone (" + SystemReason(error) + ")";
  }
  return SystemReason(error);
}

}  // namespace

// The descriptor of an open port. Its destructor gives the port back as it was found: settings
// restored, exclusive use and lock released. Output not yet sent is discarded first, so close()
// never waits for a device that takes no data.
struct SerialLink::OpenPort {
  explicit OpenPort(int descriptor);
  ~OpenPort();
  OpenPort(const OpenPort&) = delete;
  OpenPort& operator=(const OpenPort&) = delete;

  // Asks the driver to pass each received byte on at once. An adapter otherwise holds a short
  // reply for its latency timer (16 ms on common ones), and every block waits for a reply.
  // Drivers and pseudo-terminals that refuse are left as they are.
  void AskForLowLatency(serial_struct serial);
  void RestoreLatency();

  int fd;
  termios original{};
  bool haveOriginal = false;
  bool lowLatencySet = false;  // this program turned ASYNC_LOW_LATENCY on
  bool exclusive = false;
  bool hungUp = false;  // poll() saw the device go away
};

SerialLink::OpenPort::OpenPort(int descriptor) : fd(descriptor) {}

void SerialLink::OpenPort::AskForLowLatency(serial_struct serial) {
  if (serial.flags & ASYNC_LOW_LATENCY) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  lowLatencySet = ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

void SerialLink::OpenPort::RestoreLatency() {
  if (!lowLatencySet) return;
  lowLatencySet = false;
  // Only the one flag goes back; whatever else changed meanwhile is not ours.
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
  serial.flags &= ~ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
}

SerialLink::OpenPort::~OpenPort() {
  ::tcflush(fd, TCIOFLUSH);
  RestoreLatency();
  if (haveOriginal) ::tcsetattr(fd, TCSANOW, &original);
  if (exclusive) ::ioctl(fd, TIOCNXCL);
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

SerialLink::SerialLink() = default;
SerialLink::~SerialLink() = default;

void SerialLink::Close() {
  port_.reset();
}

int SerialLink::Descriptor() const {
  return port_ ? port_->fd : -1;
}

LinkStatus SerialLink::CannotOpen(const std::string& device, int error, const std::string& reason) {
  LinkStatus status = Fail(error, "Port " + device + " cannot be opened: " + reason);
  status.portUnavailable = true;
  return status;
}

LinkStatus SerialLink::Open(const LinkSettings& settings) {
  Close();
  if (!settings.usable()) {
    LinkStatus status = Fail(0, settings.problem);
    status.portUnavailable = settings.device.empty();  // the port text named no port
    return status;
  }
  if (settings.network) {
    return CannotOpen(settings.device, EINVAL, "a network port is no serial port of this machine");
  }
  LinkStatus failure;
  std::unique_ptr<OpenPort> port = OpenExclusive(settings.device, failure);
  if (!port) return failure;
  if (LinkStatus configured = Configure(*port, settings); !configured) return configured;
  // Whatever arrived before now belongs to nobody.
  ::tcflush(port->fd, TCIFLUSH);
  port_ = std::move(port);
  return {};
}

std::unique_ptr<SerialLink::OpenPort> SerialLink::OpenExclusive(const std::string& device,
                                                                LinkStatus& failure) {
  // O_NONBLOCK: neither open() nor a read waits for the modem lines or for data.
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    failure = CannotOpen(device, error, OpenFailureReason(error));
    return nullptr;
  }
  auto port = std::make_unique<OpenPort>(fd);  // closes fd on every failure below
  const auto cannotOpen = [&](int error, const std::string& reason) {
    failure = CannotOpen(device, error, reason);
    return nullptr;
  };
  if (::tcgetattr(fd, &port->original) != 0) {
    const int error = errno;
    return cannotOpen(error, error == ENOTTY ? "not a serial port" : OpenFailureReason(error));
  }
  // Another program that opened the port first keeps it: the lock covers programs that honour
  // it, exclusive mode the rest (for users other than root).
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    return cannotOpen(error, OpenFailureReason(error));
  }
  if (::ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    return cannotOpen(error, SystemReason(error));
  }
  port->exclusive = true;
  // The serial core keeps built-in ports that have no UART behind them: say so at once rather
  // than fail at the first byte. Only ports that are ours now are changed.
  if (serial_struct serial{}; ::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
    if (serial.type == PORT_UNKNOWN) return cannotOpen(ENXIO, kNoHardware);
    port->AskForLowLatency(serial);
  }
  return port;
}

LinkStatus SerialLink::Configure(OpenPort& port, const LinkSettings& settings) {
  termios tio = port.original;
  port.haveOriginal = true;  // the port is ours: it is given back as it was found
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  const StandardSpeed* standard = FindStandardSpeed(settings.speed);
  if (standard != nullptr) {
    ::cfsetispeed(&tio, standard->code);
    ::cfsetospeed(&tio, standard->code);
  }
  const std::string& device = settings.device;
  if (::tcsetattr(port.fd, TCSANOW, &tio) != 0) {
    const int error = errno;
    return CannotOpen(device, error, "settings refused (" + SystemReason(error) + ")");
  }
  // tcsetattr() succeeds when any part of the settings took; check that the speed did.
  termios applied{};
  if (::tcgetattr(port.fd, &applied) != 0) {
    const int error = errno;
    return CannotOpen(device, error, SystemReason(error));
  }
  int error = 0;
  if (standard != nullptr) {
    if (::cfgetospeed(&applied) != standard->code) error = EINVAL;
  } else {
    error = SetCustomSpeed(port.fd, settings.speed);
  }
  if (error == 0) return {};
  return Fail(error, "Speed " + std::to_string(settings.speed) + " cannot be set on " + device +
                         ": " + SystemReason(error));
}

LinkStatus SerialLink::Write(std::string_view bytes) {
  if (!port_) return Fail(EBADF, "the port is not open");
  const auto deadline = std::chrono::steady_clock::now() + kWriteLimit;
  while (!bytes.empty()) {
    const ssize_t n = ::write(port_->fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return Fail(ETIMEDOUT, "the port takes no more data");
      pollfd p{port_->fd, POLLOUT, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
      continue;
    }
    const int error = n < 0 ? errno : EIO;
    return Fail(error, IoFailureReason(error));
  }
  return {};
}

LinkStatus SerialLink::ReadAvailable(ByteString& into) {
  if (!port_) return Fail(EBADF, "the port is not open");
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(port_->fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      // A short read took all there was: with VMIN = VTIME = 0 the port hands over what it has.
      if (static_cast<std::size_t>(n) < sizeof buffer) return {};
      continue;
    }
    if (n == 0) {
      // Nothing waiting. A port that has hung up also reads as empty, for good: poll() tells
      // the two apart without waiting.
      pollfd p{port_->fd, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        port_->hungUp = true;
      }
      if (port_->hungUp) return Fail(EIO, IoFailureReason(EIO));
      return {};
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return {};
    const int error = errno;
    return Fail(error, IoFailureReason(error));
  }
}

LinkStatus SerialLink::WaitReadable(std::chrono::milliseconds limit) {
  if (!port_) return Fail(EBADF, "the port is not open");
  pollfd p{port_->fd, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(limit.count())) < 0 && errno != EINTR) {
    const int error = errno;
    return Fail(error, SystemReason(error));
  }
  // The next read reports the loss, after it has taken what arrived before it.
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) port_->hungUp = true;
  return {};
}

}  // namespace marvek
