#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shared/block_size.h"
#include "shared/types.h"

namespace marvek::sim {

// How the simulated display behaves.
struct SimOptions {
  std::string reply = "R";  // sent back for each frame that begins with "L"
  bool silent = false;      // never answer
  long answer = -1;         // answer the first N frames, then fall silent; -1 answers all
  bool split = false;       // send each reply one byte at a time, `splitGap` apart
  std::chrono::milliseconds splitGap{5};
  // Close the display's side once N frames have arrived, as if it were unplugged; the Nth frame
  // goes unanswered. 0 closes it at Start(); -1 never.
  long hangupAfter = -1;
  std::chrono::milliseconds delay{0};  // wait this long before each reply
  // Paces the bytes both ways as a line of this many bits per second would, at 10 bits a byte
  // (start bit, 8 data bits, stop bit): a frame counts as received when its last byte would
  // have come in, and the reply comes back byte by byte. 0 passes bytes on at once.
  long lineSpeed = 0;
  // Holds each reply this long after it has crossed the line, as a USB adapter holds what it
  // receives until its latency timer runs out.
  std::chrono::milliseconds adapterLatency{0};
};

// One upload as the display received it.
struct Upload {
  ByteString image;                   // the 16-byte payloads of the "L" frames, in order
  std::vector<ByteString> frames;     // every complete 17-byte frame
  std::vector<std::string> problems;  // frames not beginning with "L", a trailing partial frame
};

// Plays the title display on a pseudo-terminal: the tool opens PortPath() as its serial port.
// Frames are "L" and a block of the image (17 bytes); each is answered with the reply text.
// All accessors may be called from any thread while the display serves.
class TitleDisplaySim {
 public:
  static constexpr std::size_t kFrameSize = 1 + kBlockSize;
  static constexpr char kFrameStart = 'L';

  explicit TitleDisplaySim(SimOptions options = {});
  ~TitleDisplaySim();  // stops serving and closes every descriptor
  TitleDisplaySim(const TitleDisplaySim&) = delete;
  TitleDisplaySim& operator=(const TitleDisplaySim&) = delete;

  // Opens the pseudo-terminal in raw mode and serves it on a thread of its own. Returns why it
  // could not, or nothing when it serves.
  [[nodiscard]] std::optional<std::string> Start();
  // Ends serving and wakes every waiter. The port stays gone afterwards.
  void Stop();

  // The path the tool opens, such as /dev/pts/5; empty before Start().
  std::string PortPath() const;

  // Every byte received since Start(), frames and partial frames alike.
  ByteString Received() const;
  // The frames, image and problems of the current upload: since Start() or the last TakeUpload().
  std::vector<ByteString> Frames() const;
  ByteString Image() const;
  std::vector<std::string> Problems() const;
  std::size_t FrameCount() const;
  // Frames answered since Start(); a delayed reply counts from the moment it is decided.
  std::size_t AnsweredFrames() const;
  bool HungUp() const;
  // The speed the tool (or a port server in front of the display) set the port to, in bits per
  // second, as it was when the last upload's first frame arrived; before any frame, as it is now;
  // -1 once the port is gone.
  long LineSpeedSetting() const;

  // Waits until the current upload holds at least `frames` frames. False on timeout, or as soon
  // as the display stops or hangs up short of that.
  bool WaitForFrames(std::size_t frames, std::chrono::milliseconds timeout) const;

  // Ends the current upload and returns it; the next frames start a new one. Bytes of an
  // unfinished frame are dropped and reported in the returned problems.
  Upload TakeUpload();

  // Closes the display's side at once, as if it were unplugged; returns when it is closed.
  void HangUp();

 private:
  struct PendingReply {
    std::chrono::steady_clock::time_point due;
    ByteString bytes;
  };

  // A byte on its way to the display over the paced line.
  struct ArrivingByte {
    std::chrono::steady_clock::time_point due;
    char byte;
  };

  void Serve();
  // Whether the serving thread goes on: not once stopping or hung up. Hangs up first when asked.
  bool StillServing();
  // When the serving thread must wake next, for a reply or a frame due; adds POLLOUT to
  // `masterEvents` when a reply is due now. nullopt: only for bytes from the tool or a wake.
  std::optional<std::chrono::steady_clock::time_point> NextWake(short& masterEvents) const;
  // Reads what the tool wrote, as poll found it; false, the display's side closed, when the
  // tool's side is gone or failed.
  bool TakeToolBytes(short revents);
  // Bytes read from the tool: handled at once, or when the paced line has carried them.
  void Arrive(const char* bytes, std::size_t length);
  void DeliverArrivedBytes();
  // When the next frame's last byte (or the last byte under way) has crossed the paced line.
  std::optional<std::chrono::steady_clock::time_point> NextFrameArrival() const;
  void Receive(const char* bytes, std::size_t length, std::chrono::steady_clock::time_point at);
  void FrameComplete(const ByteString& frame, std::chrono::steady_clock::time_point at);
  // Queues `bytes` to be sent from `send` on, through the paced line and the adapter.
  void QueueReply(const ByteString& bytes, std::chrono::steady_clock::time_point send);
  void WriteDueReplies();
  void CloseDisplaySide();  // `mutex_` held, by the serving thread or while none runs
  void Wake();

  const SimOptions options_;
  std::string portPath_;
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up while the tool is away
  int wake_ = -1;   // eventfd that interrupts the serving thread's poll()
  std::thread thread_;
  std::mutex lifecycle_;  // Start() and Stop()

  mutable std::mutex mutex_;
  long speedWithFrames_ = -1;  // the port's speed at the last upload's first frame
  mutable std::condition_variable changed_;
  bool started_ = false;
  bool serving_ = false;
  bool stopping_ = false;
  bool hangUpRequested_ = false;
  bool hungUp_ = false;
  ByteString received_;
  ByteString partial_;
  Upload upload_;
  std::size_t totalFrames_ = 0;
  std::size_t answered_ = 0;
  // Serving thread only:
  std::deque<PendingReply> replies_;
  std::deque<ArrivingByte> arriving_;
  std::chrono::steady_clock::time_point inLineFree_{};   // the incoming line is busy until then
  std::chrono::steady_clock::time_point outLineFree_{};  // the same for the reply line
  std::chrono::steady_clock::time_point lastSend_{};     // the latest reply byte's send time
};

}  // namespace marvek::sim
