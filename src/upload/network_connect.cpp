#include "upload/network_connect.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <thread>

#include "shared/system_reason.h"

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kNameNotFound = "the name cannot be found";

struct AddressList {
  addrinfo* first = nullptr;
  ~AddressList() {
    if (first != nullptr) ::freeaddrinfo(first);
  }
};

// One name look-up, shared by the thread that does it and the caller that waits for it: the
// one that finishes last frees it, so a caller that gives up leaves nothing behind.
struct Lookup {
  std::string host;
  std::string service;
  int done = -1;  // an eventfd, written when the look-up has ended
  std::mutex mutex;
  bool finished = false;
  int result = 0;
  int systemError = 0;  // errno of the look-up, when `result` is EAI_SYSTEM
  AddressList addresses;
  ~Lookup() {
    if (done >= 0) ::close(done);
  }
};

addrinfo Hints(int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags | AI_NUMERICSERV | AI_ADDRCONFIG;
  return hints;
}

// Milliseconds left until `deadline`, at least 1 so that a wait gives the face a turn.
std::chrono::milliseconds Left(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return std::max(left, std::chrono::milliseconds(1));
}

// Waits on `fd` with the face's events until `ready` says yes, the deadline passes or the
// operator asks to stop. Fills `failure` on the last two.
template <typename Ready>
bool WaitFor(int fd, Clock::time_point deadline, OperatorPanel& panel, Connection& failure,
             Ready ready) {
  for (;;) {
    if (ready()) return true;
    if (panel.StopRequested()) {
      failure.cancelled = true;
      return false;
    }
    if (Clock::now() >= deadline) {
      failure.error = ETIMEDOUT;
      failure.reason = "no answer within " + std::to_string(kConnectLimit.count()) + " s";
      return false;
    }
    panel.WaitHandlingEvents(fd, Left(deadline));
  }
}

// Starts looking `port`'s host up on a thread of its own; the look-up, or null with `failure`
// filled.
std::shared_ptr<Lookup> StartLookup(const NetworkPort& port, Connection& failure) {
  auto lookup = std::make_shared<Lookup>();
  lookup->host = port.host;
  lookup->service = port.service;
  lookup->done = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (lookup->done < 0) {
    failure.error = errno;
    failure.reason = SystemReason(failure.error);
    return nullptr;
  }
  try {
    std::thread([lookup] {
      const addrinfo hints = Hints(0);
      addrinfo* first = nullptr;
      const int result =
          ::getaddrinfo(lookup->host.c_str(), lookup->service.c_str(), &hints, &first);
      const int error = errno;
      std::lock_guard lock(lookup->mutex);
      lookup->result = result;
      lookup->systemError = error;
      lookup->addresses.first = first;
      lookup->finished = true;
      const std::uint64_t one = 1;
      [[maybe_unused]] const auto written = ::write(lookup->done, &one, sizeof one);
    }).detach();
  } catch (const std::system_error& e) {
    failure.reason = e.what();
    return nullptr;
  }
  return lookup;
}

// The addresses of the port's host: an address at once, a name through a look-up thread.
bool Resolve(const NetworkPort& port, Clock::time_point deadline, OperatorPanel& panel,
             AddressList& found, Connection& failure) {
  const addrinfo numeric = Hints(AI_NUMERICHOST);
  if (::getaddrinfo(port.host.c_str(), port.service.c_str(), &numeric, &found.first) == 0) {
    return true;
  }
  // Such names never exist, and a look-up could only wait for a name server to say so.
  if (port.host == "invalid" || port.host.ends_with(".invalid")) {
    failure.reason = kNameNotFound;
    return false;
  }
  const std::shared_ptr<Lookup> lookup = StartLookup(port, failure);
  if (!lookup) return false;
  const bool ended = WaitFor(lookup->done, deadline, panel, failure, [&] {
    std::lock_guard lock(lookup->mutex);
    return lookup->finished;
  });
  if (!ended) return false;
  std::lock_guard lock(lookup->mutex);
  if (lookup->result != 0) {
    failure.reason =
        lookup->result == EAI_SYSTEM ? SystemReason(lookup->systemError) : kNameNotFound;
    return false;
  }
  std::swap(found.first, lookup->addresses.first);
  return true;
}

std::string ConnectFailureReason(int error) {
  if (error == ECONNREFUSED) return "connection refused";
  if (error == ETIMEDOUT) return "no answer within " + std::to_string(kConnectLimit.count()) + " s";
  return SystemReason(error);
}

// Connects to one address; the socket, or -1 with `failure` filled.
int ConnectTo(const addrinfo& address, Clock::time_point deadline, OperatorPanel& panel,
              Connection& failure) {
  const auto failed = [&](int fd, int error) {
    if (fd >= 0) ::close(fd);
    failure.error = error;
    failure.reason = ConnectFailureReason(error);
    return -1;
  };
  const int type = address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC;
  const int fd = ::socket(address.ai_family, type, address.ai_protocol);
  if (fd < 0) return failed(-1, errno);
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
    return failed(fd, errno);
  }
  // The face's wait watches for something to read. An epoll set that watches the socket for
  // room to write is readable exactly when the connection has been made or has failed.
  const int watch = ::epoll_create1(EPOLL_CLOEXEC);
  epoll_event wanted{};
  wanted.events = EPOLLOUT;
  if (watch < 0 || ::epoll_ctl(watch, EPOLL_CTL_ADD, fd, &wanted) != 0) {
    const int error = errno;
    if (watch >= 0) ::close(watch);
    return failed(fd, error);
  }
  const bool ended = WaitFor(watch, deadline, panel, failure, [&] {
    epoll_event event{};
    return ::epoll_wait(watch, &event, 1, 0) > 0;
  });
  ::close(watch);
  if (!ended) {
    ::close(fd);
    return -1;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  if (error != 0) return failed(fd, error);
  // Each frame is written whole and waits for its answer: nothing is gained by holding it back.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

}  // namespace

Connection ConnectToServer(const NetworkPort& port, OperatorPanel& panel) {
  const Clock::time_point deadline = Clock::now() + kConnectLimit;
  Connection connection;
  AddressList addresses;
  if (!Resolve(port, deadline, panel, addresses, connection)) return connection;
  // A name may stand for several addresses (IPv6 and IPv4): the first that answers is taken.
  for (const addrinfo* address = addresses.first; address != nullptr; address = address->ai_next) {
    connection.fd = ConnectTo(*address, deadline, panel, connection);
    if (connection.fd >= 0 || connection.cancelled || connection.error == ETIMEDOUT) break;
  }
  // Addresses that failed before the one that answered are no failure of the connection.
  if (connection.fd >= 0) connection = Connection{.fd = connection.fd, .error = 0, .reason = {}};
  return connection;
}

}  // namespace marvek
