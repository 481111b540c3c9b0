#pragma once

// The upload's published face: programs outside this repository call UploadImage as declared
// here. Keep its name and signature; add freely.

#include <chrono>
#include <cstddef>
#include <string>

#include "shared/block_size.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "upload/display_link.h"
#include "upload/serial_link.h"

namespace marvek {

// The exchange with the display: each block of the image goes out behind the letter "L" in one
// frame, and the next only after the display has answered with an "R".
inline constexpr char kBlockCommand = 'L';
inline constexpr std::size_t kFrameSize = 1 + kBlockSize;
inline constexpr char kAcknowledgement = 'R';
inline constexpr std::chrono::seconds kReplyTimeout{3};

enum class UploadOutcome {
  Uploaded,    // every block acknowledged
  NoReply,     // a block was not acknowledged within kReplyTimeout
  LinkFailed,  // the port failed while writing or reading (see the result's reason)
  Cancelled,   // the operator asked to stop (see OperatorPanel::StopRequested)
};

struct UploadResult {
  UploadOutcome outcome = UploadOutcome::Uploaded;
  std::size_t blocksAcknowledged = 0;
  std::string reason;  // LinkFailed: what went wrong with the port
};

// Sends the image (its length a multiple of kBlockSize, see PadTitleImage) over the open link, a
// serial port of this machine or a network connection alike, reporting progress after every
// acknowledged block. It waits for each answer in the panel's
// WaitHandlingEvents, so the face handles its events meanwhile. Nothing more is sent after a
// block goes unanswered, the port fails, or the operator asks to stop.
UploadResult UploadTitleImage(const ByteString& image, DisplayLink& link, OperatorPanel& panel);

// Published interface (nothing in this repository calls it; programs outside it do): the same,
// giving the outcome only. A SerialLink is a DisplayLink: a call with one compiles as it always
// has.
UploadOutcome UploadImage(const ByteString& image, DisplayLink& link, OperatorPanel& panel);

// Seconds the line itself takes to carry `blocks` blocks at `bitsPerSecond`: each block's frame
// out and its "R" back, ten bits a byte (a start bit, 8 data bits, a stop bit). The display's
// own time comes on top.
double LineSeconds(std::size_t blocks, long bitsPerSecond);

// Such a time as an operator reads it: "0.06 s", "14.9 s", "3 min 12 s".
std::string LineTimeText(double seconds);

}  // namespace marvek
