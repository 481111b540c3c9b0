#include "upload/block_upload.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

// Waits for the "R" of the block written at `written`, gathering the display's bytes in
// `reply`. Each turn: the time limit, then the face's events together with the port, then the
// port's bytes and the answer among them. Gives Uploaded when the block is acknowledged.
UploadOutcome AwaitAcknowledgement(DisplayLink& link, OperatorPanel& panel,
                                   Clock::time_point written, ByteString& reply,
                                   std::string& failure) {
  for (;;) {
    const Clock::duration elapsed = Clock::now() - written;
    if (elapsed > kReplyTimeout) return UploadOutcome::NoReply;
    // A millisecond past the limit, so that the turn after a silent wait finds the time gone.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(kReplyTimeout - elapsed) +
                      std::chrono::milliseconds(1);
    panel.WaitHandlingEvents(link.Descriptor(), left);
    if (panel.StopRequested()) return UploadOutcome::Cancelled;
    const std::size_t before = reply.size();
    const LinkStatus read = link.ReadAvailable(reply);
    if (reply.find(kAcknowledgement, before) != ByteString::npos) return UploadOutcome::Uploaded;
    if (!read) {
      failure = read.message;
      return UploadOutcome::LinkFailed;
    }
  }
}

}  // namespace

UploadResult UploadTitleImage(const ByteString& image, DisplayLink& link, OperatorPanel& panel) {
  UploadResult result;
  if (image.size() % kBlockSize != 0) {
    result.outcome = UploadOutcome::LinkFailed;
    result.reason = "the image is not made of whole blocks";
    return result;
  }

  const std::size_t blocks = image.size() / kBlockSize;
  ByteString reply;  // what the display sent since the last acknowledgement
  char frame[kFrameSize];
  frame[0] = kBlockCommand;
  for (std::size_t k = 0; k < blocks; ++k) {
    if (panel.StopRequested()) {
      result.outcome = UploadOutcome::Cancelled;
      return result;
    }
    std::memcpy(frame + 1, image.data() + k * kBlockSize, kBlockSize);
    if (const LinkStatus sent = link.Write({frame, sizeof frame}); !sent) {
      result.outcome = UploadOutcome::LinkFailed;
      result.reason = sent.message;
      return result;
    }
    result.outcome = AwaitAcknowledgement(link, panel, Clock::now(), reply, result.reason);
    if (result.outcome != UploadOutcome::Uploaded) return result;
    // Bytes after the "R" in the same read go with it.
    reply.clear();
    ++result.blocksAcknowledged;
    const double percent =
        static_cast<double>((k + 1) * kBlockSize) / static_cast<double>(image.size()) * 100.0;
    panel.SetProgress(static_cast<float>(std::min(percent, 100.0)));
  }
  return result;
}

UploadOutcome UploadImage(const ByteString& image, DisplayLink& link, OperatorPanel& panel) {
  return UploadTitleImage(image, link, panel).outcome;
}

double LineSeconds(std::size_t blocks, long bitsPerSecond) {
  constexpr double kBitsPerBlock = (kFrameSize + 1) * 10;  // the frame out, the "R" back
  if (bitsPerSecond <= 0) return 0;
  return static_cast<double>(blocks) * kBitsPerBlock / static_cast<double>(bitsPerSecond);
}

std::string LineTimeText(double seconds) {
  char text[48];
  if (seconds < 10) {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  } else if (seconds < 60) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else {
    const long long whole = std::llround(seconds);
    std::snprintf(text, sizeof text, "%lld min %lld s", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace marvek
