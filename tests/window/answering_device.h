#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "shared/types.h"

namespace marvek::testing {

// Plays the title display on the master side of a pseudo-terminal, on a thread of its own:
// every 17-byte frame that begins with "L" is answered with "R", and its 16 bytes are kept.
class AnsweringDevice {
 public:
  explicit AnsweringDevice(int master) : master_(master), thread_([this] { Serve(); }) {}
  ~AnsweringDevice() {
    stop_ = true;
    thread_.join();
  }
  AnsweringDevice(const AnsweringDevice&) = delete;
  AnsweringDevice& operator=(const AnsweringDevice&) = delete;

  // The payloads of the answered frames, in order.
  ByteString Image() const {
    const std::lock_guard lock(mutex_);
    return image_;
  }

 private:
  static constexpr std::size_t kFrameSize = 17;
  static constexpr std::chrono::milliseconds kPollTurn{10};  // how soon a stop is noticed

  void Serve() {
    std::string pending;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(kPollTurn.count())) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return;
      pending.append(buffer, static_cast<std::size_t>(n));
      for (; pending.size() >= kFrameSize; pending.erase(0, kFrameSize)) {
        if (pending[0] != 'L') continue;
        {
          const std::lock_guard lock(mutex_);
          image_.append(pending, 1, kFrameSize - 1);
        }
        [[maybe_unused]] const ssize_t written = ::write(master_, "R", 1);
      }
    }
  }

  const int master_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  ByteString image_;
  std::thread thread_;  // last, so that it starts when the rest is ready
};

}  // namespace marvek::testing
