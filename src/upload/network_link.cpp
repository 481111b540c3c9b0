#include "upload/network_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "shared/system_reason.h"
#include "upload/network_connect.h"

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

// How long a write may wait for room in the connection's buffer, as for a serial port's queue;
// and how long the server has to confirm the speed, as long as a display has for its answer.
constexpr std::chrono::seconds kWriteLimit{3};
constexpr std::chrono::seconds kConfirmLimit{3};

}  // namespace

NetworkLink::NetworkLink() = default;

NetworkLink::~NetworkLink() {
  Close();
}

void NetworkLink::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  telnet_.reset();
}

std::string NetworkLink::OpenedNote() const {
  if (fd_ < 0 || port_.protocol != NetworkProtocol::RawTcp) return {};
  return "The line's speed is set by the server at " + port_.where + ".";
}

LinkStatus NetworkLink::Open(const LinkSettings& settings, OperatorPanel& panel) {
  Close();
  if (!settings.usable() || !settings.network) {
    LinkStatus status = Fail(0, settings.problem);
    status.portUnavailable = settings.device.empty();
    return status;
  }
  port_ = *settings.network;
  const Connection connection = ConnectToServer(port_, panel);
  if (connection.fd < 0) {
    LinkStatus status = connection.cancelled
                            ? Fail(0, {})
                            : Fail(connection.error, "Port " + settings.device +
                                                         " cannot be opened: " + connection.reason);
    status.cancelled = connection.cancelled;
    return status;
  }
  fd_ = connection.fd;
  if (port_.protocol == NetworkProtocol::RawTcp) return {};
  telnet_ = std::make_unique<ComPortControl>();
  LinkStatus set = SetFarLine(settings, panel);
  if (!set) Close();
  return set;
}

LinkStatus NetworkLink::SetFarLine(const LinkSettings& settings, OperatorPanel& panel) {
  const auto speed = static_cast<std::uint32_t>(settings.speed);
  const auto notConfirmed = [&](const std::string& why) {
    return Fail(EPROTO, "Speed " + std::to_string(settings.speed) + " cannot be set on " +
                            settings.device + ": " + why);
  };
  // A connection that fails now has not been opened, as far as the operator is concerned.
  const auto cannotOpen = [&](const LinkStatus& failed) {
    return Fail(failed.error, "Port " + settings.device + " cannot be opened: " + failed.message);
  };
  telnet_->Start();
  bool requested = false;
  ByteString early;  // the display's bytes before the upload belong to nobody
  const Clock::time_point deadline = Clock::now() + kConfirmLimit;
  for (;;) {
    if (telnet_->Agreed() && !requested) {
      telnet_->RequestLine(speed);
      requested = true;
    }
    if (LinkStatus sent = SendAll({}); !sent) return cannotOpen(sent);
    if (requested && telnet_->ConfirmedSpeed()) break;
    if (telnet_->Refused()) return notConfirmed("the server does not let its client set the line");
    if (panel.StopRequested()) {
      LinkStatus stopped = Fail(0, {});
      stopped.cancelled = true;
      return stopped;
    }
    if (Clock::now() >= deadline) break;
    panel.WaitHandlingEvents(fd_, std::chrono::ceil<std::chrono::milliseconds>(
                                      deadline - Clock::now() + std::chrono::milliseconds(1)));
    if (LinkStatus read = ReadAvailable(early); !read) return cannotOpen(read);
  }
  if (telnet_->ConfirmedSpeed() != speed) return notConfirmed("the server did not confirm it");
  return {};
}

LinkStatus NetworkLink::ConnectionFailed(int error) {
  if (error == 0 || error == ECONNRESET || error == EPIPE) {
    return Fail(error, "the connection was closed by " + port_.where);
  }
  return Fail(error, SystemReason(error));
}

LinkStatus NetworkLink::Write(std::string_view bytes) {
  if (fd_ < 0) return Fail(EBADF, "the port is not open");
  if (!telnet_) return SendAll(bytes);
  telnet_->SendData(bytes);
  return SendAll({});
}

LinkStatus NetworkLink::SendAll(std::string_view bytes) {
  ByteString escaped;
  if (telnet_) {
    escaped = telnet_->TakeOutgoing();
    bytes = escaped;
  }
  const auto deadline = Clock::now() + kWriteLimit;
  while (!bytes.empty()) {
    // MSG_NOSIGNAL: a server that has gone away is a failure to report, not a signal that ends
    // the program.
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return ConnectionFailed(errno);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
      return Fail(ETIMEDOUT, "the server at " + port_.where + " takes no more data");
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left.count()));
  }
  return {};
}

LinkStatus NetworkLink::ReadAvailable(ByteString& into) {
  if (fd_ < 0) return Fail(EBADF, "the port is not open");
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
      const std::string_view received(buffer, static_cast<std::size_t>(n));
      if (!telnet_) {
        into.append(received);
        continue;
      }
      telnet_->Receive(received, into);
      if (!telnet_->ProtocolError().empty()) return Fail(EPROTO, telnet_->ProtocolError());
      // Telnet answers the server's requests by itself; they go out at once.
      if (LinkStatus sent = SendAll({}); !sent) return sent;
      continue;
    }
    if (n == 0) return ConnectionFailed(0);
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return {};
    return ConnectionFailed(errno);
  }
}

}  // namespace marvek
