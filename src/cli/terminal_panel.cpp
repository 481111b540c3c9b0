#include "cli/terminal_panel.h"

#include <poll.h>

#include <cmath>

#include "cli/end_signals.h"

namespace marvek::cli {
namespace {

constexpr std::size_t kBarWidth = 30;

std::string MinutesAndSeconds(long long seconds) {
  const std::string ss = std::to_string(seconds % 60);
  return std::to_string(seconds / 60) + ":" + (ss.size() < 2 ? "0" : "") + ss;
}

}  // namespace

void TerminalPanel::AddStatus(const std::string& text) {
  ClearProgressLine();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void TerminalPanel::SetProgress(float percent) {
  if (!progressLine_ || !uploading_ || percent <= 0 || blocks_ == 0) return;
  const Clock::time_point now = Clock::now();
  if (drawnOnce_ && now - lastDrawn_ < kRedrawInterval) return;
  const auto sent = static_cast<std::size_t>(
      std::llround(static_cast<double>(percent) / 100.0 * static_cast<double>(blocks_)));
  std::fprintf(out_, "\r%s\033[K", ProgressLine(sent, blocks_, now - uploadStart_).c_str());
  std::fflush(out_);
  shown_ = true;
  drawnOnce_ = true;
  lastDrawn_ = now;
}

void TerminalPanel::Beep() {
  if (!beep_) return;
  std::fputc('\a', out_);
  std::fflush(out_);
}

void TerminalPanel::WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) {
  if (StopRequested()) return;
  pollfd watched[] = {{descriptor, POLLIN, 0}, {EndSignalWakeUp(), POLLIN, 0}};
  // A signal that interrupts poll() has been noted; either way the caller looks again.
  ::poll(watched, 2, static_cast<int>(limit.count()));
}

bool TerminalPanel::StopRequested() const {
  return PendingEndSignal() != 0;
}

void TerminalPanel::UploadStarting(std::size_t blocks) {
  uploading_ = true;
  blocks_ = blocks;
  uploadStart_ = Clock::now();
}

std::string TerminalPanel::ProgressLine(std::size_t sent, std::size_t blocks,
                                        Clock::duration elapsed) {
  if (blocks == 0) return {};
  if (sent > blocks) sent = blocks;
  const std::size_t filled = sent * kBarWidth / blocks;
  std::string line;
  line.reserve(80);
  line.append("[").append(filled, '#').append(kBarWidth - filled, '.').append("] ");
  line.append(std::to_string(sent * 100 / blocks)).append("%  ");
  line.append(std::to_string(sent)).append("/").append(std::to_string(blocks)).append(" blocks  ");
  if (sent == 0) return line + "-:-- left";
  // The blocks so far set the pace for the rest.
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double left = seconds * static_cast<double>(blocks - sent) / static_cast<double>(sent);
  return line + MinutesAndSeconds(std::llround(left)) + " left";
}

void TerminalPanel::ClearProgressLine() {
  if (!shown_) return;
  std::fputs("\r\033[K", out_);
  shown_ = false;
  // Status lines come only before and after the blocks are sent.
  uploading_ = false;
}

}  // namespace marvek::cli
