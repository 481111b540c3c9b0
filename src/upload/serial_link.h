#pragma once

// The serial link's published face: programs outside this repository use LinkSettings,
// FromOperatorChoice and SerialLink as declared here. Keep their names and signatures; add freely.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "shared/types.h"
#include "upload/display_link.h"
#include "upload/network_port.h"

namespace marvek {

// The serial port and line settings the operator chose.
struct LinkSettings {
  // The digit of "ComN"; 0 when the text names a device path, a network port or nothing usable.
  int portNumber = 0;
  // The device file that will be opened, e.g. "/dev/ttyS0"; for a network port the whole text,
  // e.g. "rfc2217://booth:4001".
  std::string device;
  std::string settings;  // e.g. "9600,N,8,1": speed, no parity, 8 data bits, 1 stop bit
  int speed = 0;         // bits per second; 0 when the speed text is no usable number
  // Set when the port is served over the network ("rfc2217://HOST:PORT", "socket://HOST:PORT").
  std::optional<NetworkPort> network;
  // Why the choice cannot be used, as a line for the operator; empty when it can.
  std::string problem;

  bool usable() const { return problem.empty(); }
  // The port text names no port at all (rather than a port that may not open).
  bool namesNoPort() const { return device.empty(); }
};

// Builds the settings from the texts of the port and speed boxes. "ComN" (any three characters
// and then the digit N, 1 to 9; what follows is ignored) names /dev/ttyS<N-1>; a text that begins
// with "/" is a device path opened as it stands; one that begins with "rfc2217://" or "socket://"
// is a network port and nothing else. The speed text must be a whole number above 0.
LinkSettings FromOperatorChoice(std::string_view portText, std::string_view speedText);

// An open serial port in raw mode: 8 data bits, no parity, 1 stop bit, no flow control.
// The port is used by this program alone while it is open, and released by Close() or the
// destructor, at once, so that it can be opened again straight away. Whoever owns the link gives
// the port back: a command that is stopped unwinds to the link's owner like any other ending.
class SerialLink : public DisplayLink {
 public:
  SerialLink();
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Opens and configures the port; the receive buffer is empty afterwards. Nothing stays open
  // when it fails.
  LinkStatus Open(const LinkSettings& settings);
  LinkStatus Write(std::string_view bytes) override;
  LinkStatus ReadAvailable(ByteString& into) override;
  // Sleeps until bytes arrive, the device goes away, or `limit` passes.
  LinkStatus WaitReadable(std::chrono::milliseconds limit);
  // The open port's descriptor.
  int Descriptor() const override;
  void Close() override;
  bool IsOpen() const override { return port_ != nullptr; }

  // The descriptor and what the platform needs to give the port back; defined with the
  // platform's code.
  struct OpenPort;

 private:
  // Opens the device for this program alone; the port, or nothing with the failure said.
  std::unique_ptr<OpenPort> OpenExclusive(const std::string& device, LinkStatus& failure);
  // Puts the open port in raw mode at the chosen speed, and checks that the speed took.
  LinkStatus Configure(OpenPort& port, const LinkSettings& settings);
  LinkStatus CannotOpen(const std::string& device, int error, const std::string& reason);

  std::unique_ptr<OpenPort> port_;
};

}  // namespace marvek
