#pragma once

// The serial link's published face: programs outside this repository use LinkSettings,
// FromOperatorChoice and SerialLink as declared here. Keep their names and signatures; add freely.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// The serial port and line settings the operator chose.
struct LinkSettings {
  int portNumber = 0;  // the digit of "ComN"; 0 when the text names a device path or nothing usable
  std::string device;  // the device file that will be opened, e.g. "/dev/ttyS0"
  std::string settings;  // e.g. "9600,N,8,1": speed, no parity, 8 data bits, 1 stop bit
  int speed = 0;         // bits per second; 0 when the speed text is no usable number
  // Why the choice cannot be used, as a line for the operator; empty when it can.
  std::string problem;

  bool usable() const { return problem.empty(); }
  // The port text names no port at all (rather than a port that may not open).
  bool namesNoPort() const { return device.empty(); }
};

// Builds the settings from the texts of the port and speed boxes. "ComN" (any three characters
// and then the digit N, 1 to 9; what follows is ignored) names /dev/ttyS<N-1>; a text that begins
// with "/" is a device path opened as it stands. The speed text must be a whole number above 0.
LinkSettings FromOperatorChoice(std::string_view portText, std::string_view speedText);

// The outcome of one operation on the port.
struct LinkStatus {
  bool ok = true;
  int error = 0;  // errno of the failure, 0 when there is none
  // Open: a whole line for the operator ("Port /dev/ttyS0 cannot be opened: ...").
  // Write and read: the reason ("the device is gone (Input/output error)").
  std::string message;
  // Open failed because of the port itself (no such port, busy, no hardware, not a serial
  // port), not the speed: the operator may want to be shown the ports there are.
  bool portUnavailable = false;

  explicit operator bool() const { return ok; }
};

// An open serial port in raw mode: 8 data bits, no parity, 1 stop bit, no flow control.
// The port is used by this program alone while it is open, and released by Close() or the
// destructor, at once, so that it can be opened again straight away. Whoever owns the link gives
// the port back: a command that is stopped unwinds to the link's owner like any other ending.
class SerialLink {
 public:
  SerialLink();
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Opens and configures the port; the receive buffer is empty afterwards. Nothing stays open
  // when it fails.
  LinkStatus Open(const LinkSettings& settings);
  // Queues all of `bytes` for sending and returns without waiting for them to go out.
  LinkStatus Write(std::string_view bytes);
  // Appends everything received since the last call to `into`; never waits. Bytes read before a
  // failure are appended too.
  LinkStatus ReadAvailable(ByteString& into);
  // Sleeps until bytes arrive, the device goes away, or `limit` passes.
  LinkStatus WaitReadable(std::chrono::milliseconds limit);
  // The open port's descriptor, for a wait that watches it together with other things; -1 when
  // nothing is open. It stays this link's: the caller neither reads, writes nor closes it.
  int Descriptor() const;
  // Closes the port, discarding what was not sent. Safe to call when nothing is open.
  void Close();

  bool IsOpen() const { return port_ != nullptr; }
  // The message of the last failed operation.
  const std::string& LastFailure() const { return lastFailure_; }

  // The descriptor and what the platform needs to give the port back; defined with the
  // platform's code.
  struct OpenPort;

 private:
  LinkStatus Fail(int error, std::string message);

  std::unique_ptr<OpenPort> port_;
  std::string lastFailure_;
};

}  // namespace marvek
