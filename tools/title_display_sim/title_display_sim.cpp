#include "title_display_sim/title_display_sim.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include "shared/system_reason.h"
#include "upload/serial_speed_linux.h"

namespace marvek::sim {
namespace {

using Clock = std::chrono::steady_clock;

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string Failed(const char* what) {
  return std::string(what) + ": " + SystemReason(errno);
}

// No echo, no line editing, no character translation on either side: the display sees the
// bytes the tool writes and the tool sees the reply as sent, from the first byte on.
bool MakeRaw(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return false;
  ::cfmakeraw(&settings);
  return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool SetFlags(int fd, bool nonBlocking) {
  if (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) return false;
  if (!nonBlocking) return true;
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// The time left until `due`, for ppoll(): to the nanosecond, since a paced line needs the
// display to wake within microseconds of a byte's time.
timespec TimeUntil(Clock::time_point due) {
  const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(due - Clock::now());
  if (left.count() <= 0) return {0, 0};
  const auto capped = std::min<std::chrono::nanoseconds>(left, std::chrono::seconds(60));
  return {static_cast<time_t>(capped.count() / 1'000'000'000),
          static_cast<long>(capped.count() % 1'000'000'000)};
}

// A paced line wakes the display this much before a byte is due, and the display waits out the
// rest on the processor: a woken thread may start late by tens of microseconds, nearly a byte's
// time at 115200 bit/s, and that would show as a slower line.
constexpr auto kWakeEarly = std::chrono::microseconds(60);

// Waits until `due` without sleeping: only ever for less than kWakeEarly.
void SpinUntil(Clock::time_point due) {
  while (Clock::now() < due) {
  }
}

// How long one byte takes on a line of `bitsPerSecond`, 10 bits to the byte.
Clock::duration ByteTime(long bitsPerSecond) {
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::nanoseconds(10 * 1'000'000'000LL / bitsPerSecond));
}

// Opens a pseudo-terminal, both sides raw and the display's (master) side not blocking, and
// names the tool's side in `path`; why not, with both closed, when it cannot.
std::optional<std::string> OpenRawPseudoTerminal(int& master, int& slave, std::string& path) {
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    return Failed("cannot open a pseudo-terminal");
  }
  std::string error;
  std::array<char, 128> name{};
  if (!MakeRaw(slave) || !MakeRaw(master)) {
    error = Failed("cannot put the pseudo-terminal in raw mode");
  } else if (!SetFlags(master, true) || !SetFlags(slave, false)) {
    error = Failed("cannot set up the pseudo-terminal");
  } else if (::ptsname_r(master, name.data(), name.size()) != 0) {
    error = Failed("cannot name the pseudo-terminal");
  }
  if (error.empty()) {
    path = name.data();
    return std::nullopt;
  }
  CloseIfOpen(master);
  CloseIfOpen(slave);
  return error;
}

}  // namespace

TitleDisplaySim::TitleDisplaySim(SimOptions options) : options_(std::move(options)) {}

TitleDisplaySim::~TitleDisplaySim() {
  Stop();
}

std::optional<std::string> TitleDisplaySim::Start() {
  std::lock_guard life(lifecycle_);
  std::unique_lock lock(mutex_);
  if (started_) return "the display was already started";
  int master = -1;
  int slave = -1;
  if (auto error = OpenRawPseudoTerminal(master, slave, portPath_)) return error;
  if ((wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) < 0) {
    const std::string error = Failed("cannot create an event descriptor");
    CloseIfOpen(master);
    CloseIfOpen(slave);
    return error;
  }
  master_ = master;
  slave_ = slave;
  started_ = true;

  if (options_.hangupAfter == 0) {
    CloseDisplaySide();
    return std::nullopt;
  }
  serving_ = true;
  try {
    thread_ = std::thread([this] { Serve(); });
  } catch (const std::system_error& e) {
    serving_ = false;
    CloseDisplaySide();
    return std::string("cannot start the display's thread: ") + e.what();
  }
  return std::nullopt;
}

void TitleDisplaySim::Stop() {
  std::lock_guard life(lifecycle_);
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  Wake();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  CloseIfOpen(master_);
  CloseIfOpen(slave_);
  CloseIfOpen(wake_);
}

void TitleDisplaySim::Wake() {
  // The descriptor is closed only after the serving thread has ended.
  const std::uint64_t one = 1;
  if (wake_ >= 0) {
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
  }
}

bool TitleDisplaySim::StillServing() {
  std::lock_guard lock(mutex_);
  if (hangUpRequested_ && !hungUp_) {
    CloseDisplaySide();
    changed_.notify_all();
  }
  return !stopping_ && !hungUp_;
}

std::optional<Clock::time_point> TitleDisplaySim::NextWake(short& masterEvents) const {
  // Only the serving thread changes the queues while it runs, so it reads them without the lock.
  std::optional<Clock::time_point> wakeAt;
  if (!replies_.empty()) {
    if (replies_.front().due <= Clock::now()) {
      masterEvents |= POLLOUT;  // due: wait for room to write it
    } else {
      wakeAt = replies_.front().due;
    }
  }
  if (const auto arrival = NextFrameArrival(); arrival && (!wakeAt || *arrival < *wakeAt)) {
    wakeAt = arrival;
  }
  if (wakeAt && options_.lineSpeed > 0) *wakeAt -= kWakeEarly;
  return wakeAt;
}

bool TitleDisplaySim::TakeToolBytes(short revents) {
  if (revents & POLLIN) {
    std::array<char, 4096> buffer;
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    if (n > 0) {
      Arrive(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  } else if (!(revents & (POLLHUP | POLLERR | POLLNVAL))) {
    return true;
  }
  // The tool's side is gone, or failed. A hang-up cannot happen while the display holds its own
  // slave descriptor; stop rather than spin.
  std::lock_guard lock(mutex_);
  CloseDisplaySide();
  return false;
}

void TitleDisplaySim::Serve() {
  // The paced line wakes the thread for every frame; the kernel's default 50 us of timer slack
  // would show as a slower line.
  if (options_.lineSpeed > 0) ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  while (StillServing()) {
    // Only this thread changes `master_` while it runs, so it reads it without the lock.
    short masterEvents = POLLIN;
    const std::optional<Clock::time_point> wakeAt = NextWake(masterEvents);
    const timespec timeout = wakeAt ? TimeUntil(*wakeAt) : timespec{};
    pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, masterEvents, 0}};
    if (::ppoll(fds, 2, wakeAt ? &timeout : nullptr, nullptr) < 0) {
      if (errno == EINTR) continue;
      std::lock_guard lock(mutex_);
      CloseDisplaySide();
      break;
    }
    if (fds[0].revents & POLLIN) {
      std::uint64_t count;
      [[maybe_unused]] const auto read = ::read(wake_, &count, sizeof count);
    }
    if (!TakeToolBytes(fds[1].revents)) break;
    DeliverArrivedBytes();
    if (master_ >= 0) WriteDueReplies();
  }
  std::lock_guard lock(mutex_);
  serving_ = false;
  changed_.notify_all();
}

void TitleDisplaySim::Arrive(const char* bytes, std::size_t length) {
  const auto now = Clock::now();
  if (options_.lineSpeed <= 0) {
    Receive(bytes, length, now);
    return;
  }
  // Bytes written while the line is busy queue behind the ones on it.
  const Clock::duration byteTime = ByteTime(options_.lineSpeed);
  for (std::size_t i = 0; i < length; ++i) {
    inLineFree_ = std::max(inLineFree_, now) + byteTime;
    arriving_.push_back({inLineFree_, bytes[i]});
  }
}

std::optional<Clock::time_point> TitleDisplaySim::NextFrameArrival() const {
  if (arriving_.empty()) return std::nullopt;
  std::size_t partial = 0;
  {
    std::lock_guard lock(mutex_);
    partial = partial_.size();
  }
  const std::size_t completing = std::min(kFrameSize - partial, arriving_.size()) - 1;
  return arriving_[completing].due;
}

void TitleDisplaySim::DeliverArrivedBytes() {
  // Only the byte that completes a frame is waited for to the microsecond; the ones before it
  // are handed over with it.
  if (const auto arrival = NextFrameArrival(); arrival && *arrival <= Clock::now() + kWakeEarly) {
    SpinUntil(*arrival);
  }
  while (!arriving_.empty() && arriving_.front().due <= Clock::now()) {
    const ArrivingByte next = arriving_.front();
    arriving_.pop_front();
    Receive(&next.byte, 1, next.due);
  }
}

void TitleDisplaySim::Receive(const char* bytes, std::size_t length, Clock::time_point at) {
  std::lock_guard lock(mutex_);
  received_.append(bytes, length);
  bool completed = false;
  for (std::size_t i = 0; i < length && !hungUp_; ++i) {
    partial_.push_back(bytes[i]);
    if (partial_.size() == kFrameSize) {
      FrameComplete(partial_, at);
      partial_.clear();
      completed = true;
    }
  }
  if (completed) changed_.notify_all();
}

void TitleDisplaySim::FrameComplete(const ByteString& frame, Clock::time_point at) {
  // A port server gives the port its old settings back when its client leaves, so the speed is
  // taken while the upload's frames arrive.
  if (upload_.frames.empty() && slave_ >= 0) speedWithFrames_ = CurrentSpeed(slave_);
  upload_.frames.push_back(frame);
  ++totalFrames_;
  const bool good = frame[0] == kFrameStart;
  if (good) {
    upload_.image.append(frame, 1, kFrameSize - 1);
  } else {
    char first[8];
    std::snprintf(first, sizeof first, "0x%02X", static_cast<unsigned char>(frame[0]));
    upload_.problems.push_back("frame " + std::to_string(upload_.frames.size()) + " begins with " +
                               first + " instead of \"L\"; not answered");
  }
  if (options_.hangupAfter >= 0 && totalFrames_ >= static_cast<std::size_t>(options_.hangupAfter)) {
    CloseDisplaySide();
    return;
  }
  if (!good || options_.silent) return;
  if (options_.answer >= 0 && answered_ >= static_cast<std::size_t>(options_.answer)) return;
  ++answered_;

  // Replies go out in the order of their frames, even when a delay or a split is still running.
  const auto send = std::max(at + options_.delay, lastSend_);
  if (!options_.split) {
    if (!options_.reply.empty()) QueueReply(options_.reply, send);
    return;
  }
  for (std::size_t i = 0; i < options_.reply.size(); ++i) {
    const auto gaps = static_cast<std::chrono::milliseconds::rep>(i);
    QueueReply(ByteString(1, options_.reply[i]), send + gaps * options_.splitGap);
  }
}

void TitleDisplaySim::QueueReply(const ByteString& bytes, Clock::time_point send) {
  lastSend_ = send;
  if (options_.lineSpeed <= 0) {
    replies_.push_back({send + options_.adapterLatency, bytes});
    return;
  }
  const Clock::duration byteTime = ByteTime(options_.lineSpeed);
  for (const char byte : bytes) {
    outLineFree_ = std::max(outLineFree_, send) + byteTime;
    replies_.push_back({outLineFree_ + options_.adapterLatency, ByteString(1, byte)});
  }
}

void TitleDisplaySim::WriteDueReplies() {
  if (options_.lineSpeed > 0 && !replies_.empty() &&
      replies_.front().due <= Clock::now() + kWakeEarly) {
    SpinUntil(replies_.front().due);
  }
  const auto now = Clock::now();
  while (!replies_.empty() && replies_.front().due <= now) {
    ByteString& bytes = replies_.front().bytes;
    const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) replies_.clear();  // the line is gone; nobody is left to read them
      return;
    }
    bytes.erase(0, static_cast<std::size_t>(n));
    if (bytes.empty()) replies_.pop_front();
  }
}

void TitleDisplaySim::CloseDisplaySide() {
  // The slave first: the tool sees the line drop when the master closes, and by then nothing of
  // the display's is left open on the port.
  CloseIfOpen(slave_);
  CloseIfOpen(master_);
  replies_.clear();
  arriving_.clear();
  hungUp_ = true;
}

std::string TitleDisplaySim::PortPath() const {
  std::lock_guard lock(mutex_);
  return portPath_;
}

ByteString TitleDisplaySim::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::vector<ByteString> TitleDisplaySim::Frames() const {
  std::lock_guard lock(mutex_);
  return upload_.frames;
}

ByteString TitleDisplaySim::Image() const {
  std::lock_guard lock(mutex_);
  return upload_.image;
}

std::vector<std::string> TitleDisplaySim::Problems() const {
  std::lock_guard lock(mutex_);
  return upload_.problems;
}

std::size_t TitleDisplaySim::FrameCount() const {
  std::lock_guard lock(mutex_);
  return upload_.frames.size();
}

std::size_t TitleDisplaySim::AnsweredFrames() const {
  std::lock_guard lock(mutex_);
  return answered_;
}

bool TitleDisplaySim::HungUp() const {
  std::lock_guard lock(mutex_);
  return hungUp_;
}

long TitleDisplaySim::LineSpeedSetting() const {
  std::lock_guard lock(mutex_);
  // The settings are the port's: the display's own descriptor of it reads what was set.
  if (speedWithFrames_ > 0) return speedWithFrames_;
  return slave_ >= 0 ? CurrentSpeed(slave_) : -1;
}

bool TitleDisplaySim::WaitForFrames(std::size_t frames, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout,
                    [&] { return upload_.frames.size() >= frames || stopping_ || hungUp_; });
  return upload_.frames.size() >= frames;
}

Upload TitleDisplaySim::TakeUpload() {
  std::lock_guard lock(mutex_);
  Upload taken = std::exchange(upload_, Upload{});
  if (!partial_.empty()) {
    taken.problems.push_back("an unfinished frame of " + std::to_string(partial_.size()) +
                             " bytes was dropped");
    partial_.clear();
  }
  return taken;
}

void TitleDisplaySim::HangUp() {
  std::unique_lock lock(mutex_);
  if (hungUp_) return;
  if (!serving_) {
    CloseDisplaySide();
    changed_.notify_all();
    return;
  }
  hangUpRequested_ = true;
  Wake();
  changed_.wait(lock, [&] { return hungUp_ || !serving_; });
}

}  // namespace marvek::sim
