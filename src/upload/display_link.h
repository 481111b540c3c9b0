#pragma once

#include <string>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// The outcome of one operation on the link to the display.
struct LinkStatus {
  bool ok = true;
  int error = 0;  // errno of the failure, 0 when there is none
  // Open: a whole line for the operator ("Port /dev/ttyS0 cannot be opened: ...").
  // Write and read: the reason ("the device is gone (Input/output error)").
  std::string message;
  // Open failed because of the port itself (no such port, busy, no hardware, not a serial
  // port), not the speed: the operator may want to be shown the ports there are.
  bool portUnavailable = false;
  // Open ended because the operator asked to stop; there is no message to show.
  bool cancelled = false;

  explicit operator bool() const { return ok; }
};

// The link to a display as the upload uses it, whatever carries it: a serial port of this
// machine or a connection to a server that carries the bytes to the display's line. The upload
// writes frames, waits on Descriptor() together with the face's events, and reads the replies.
class DisplayLink {
 public:
  virtual ~DisplayLink() = default;

  // Queues all of `bytes` for sending and returns without waiting for them to arrive.
  virtual LinkStatus Write(std::string_view bytes) = 0;
  // Appends the display's bytes received since the last call to `into`; never waits. Bytes read
  // before a failure are appended too.
  virtual LinkStatus ReadAvailable(ByteString& into) = 0;
  // A descriptor that becomes readable when ReadAvailable has something to do (bytes, or a
  // failure to report); -1 when nothing is open. It stays the link's: the caller neither
  // reads, writes nor closes it.
  virtual int Descriptor() const = 0;
  // Gives the port or connection back at once, discarding what was not sent. Safe to call when
  // nothing is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // What the operator should know about the open link, once, before the upload; empty when
  // there is nothing to say.
  virtual std::string OpenedNote() const { return {}; }

  // The message of the last failed operation.
  const std::string& LastFailure() const { return lastFailure_; }

 protected:
  LinkStatus Fail(int error, std::string message) {
    lastFailure_ = message;
    return {false, error, std::move(message)};
  }

 private:
  std::string lastFailure_;
};

}  // namespace marvek
