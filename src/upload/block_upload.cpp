#include "upload/block_upload.h"

#include <algorithm>
#include <cstring>

namespace marvek {

UploadResult UploadTitleImage(const ByteString& image, SerialLink& link, OperatorPanel& panel) {
  using Clock = std::chrono::steady_clock;
  UploadResult result;
  const auto linkFailed = [&](const LinkStatus& status) {
    result.outcome = UploadOutcome::LinkFailed;
    result.reason = status.message;
    return result;
  };
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
    std::memcpy(frame + 1, image.data() + k * kBlockSize, kBlockSize);
    if (const LinkStatus sent = link.Write({frame, sizeof frame}); !sent) return linkFailed(sent);
    const Clock::time_point written = Clock::now();

    // Each turn: the time limit, the window's events, the port, the answer, in this order.
    for (;;) {
      if (Clock::now() - written > kReplyTimeout) {
        result.outcome = UploadOutcome::NoReply;
        return result;
      }
      panel.ProcessEvents();
      const std::size_t before = reply.size();
      const LinkStatus read = link.ReadAvailable(reply);
      if (reply.find(kAcknowledgement, before) != ByteString::npos) break;
      if (!read) return linkFailed(read);
      if (const LinkStatus waited = link.WaitReadable(kReplyPollInterval); !waited) {
        return linkFailed(waited);
      }
    }
    // Bytes after the "R" in the same read go with it.
    reply.clear();
    ++result.blocksAcknowledged;
    const double percent =
        static_cast<double>((k + 1) * kBlockSize) / static_cast<double>(image.size()) * 100.0;
    panel.SetProgress(static_cast<float>(std::min(percent, 100.0)));
  }
  return result;
}

UploadOutcome UploadImage(const ByteString& image, SerialLink& link, OperatorPanel& panel) {
  return UploadTitleImage(image, link, panel).outcome;
}

double LineSeconds(std::size_t blocks, long bitsPerSecond) {
  constexpr double kBitsPerBlock = (kFrameSize + 1) * 10;  // the frame out, the "R" back
  if (bitsPerSecond <= 0) return 0;
  return static_cast<double>(blocks) * kBitsPerBlock / static_cast<double>(bitsPerSecond);
}

}  // namespace marvek
