#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace marvek::testing {

// A pseudo-terminal whose master side the test plays as the device. The test keeps a descriptor
// of the slave side too, as a device that is plugged in would, so the master sees no hang-up
// while the port under test is closed.
class PtyPair {
 public:
  PtyPair() {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    path_ = name;
  }
  ~PtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  int master() const { return master_; }
  int slave() const { return slave_; }

  void Send(const std::string& bytes) const {
    [[maybe_unused]] ssize_t n = ::write(master_, bytes.data(), bytes.size());
  }

  // Reads what the port sent until `count` bytes have come or `limit` has passed.
  std::string Receive(std::size_t count,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  // The device is unplugged: the port's side sees a hang-up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace marvek::testing
