#pragma once

#include <memory>
#include <string>

#include "shared/operator_panel.h"
#include "upload/com_port_control.h"
#include "upload/display_link.h"
#include "upload/serial_link.h"

namespace marvek {

// A display whose serial line is served over the network: "rfc2217://HOST:PORT" (telnet, the
// speed set on the far line) or "socket://HOST:PORT" (raw TCP, the far line's speed the
// server's). The upload sees the display's bytes only, as over a serial port of this machine.
class NetworkLink : public DisplayLink {
 public:
  NetworkLink();
  ~NetworkLink() override;
  NetworkLink(const NetworkLink&) = delete;
  NetworkLink& operator=(const NetworkLink&) = delete;

  // Connects to the server of `settings.network` and, over RFC 2217, sets the line and waits
  // for the server to confirm the speed. Every wait handles the face's events and ends when the
  // operator asks to stop. Nothing stays open when it fails.
  LinkStatus Open(const LinkSettings& settings, OperatorPanel& panel);

  LinkStatus Write(std::string_view bytes) override;
  LinkStatus ReadAvailable(ByteString& into) override;
  int Descriptor() const override { return fd_; }
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  std::string OpenedNote() const override;

 private:
  // Sets the far line over RFC 2217 and waits for the speed to be confirmed.
  LinkStatus SetFarLine(const LinkSettings& settings, OperatorPanel& panel);
  // Writes what the telnet side has to send, or `bytes` as they are on raw TCP.
  LinkStatus SendAll(std::string_view bytes);
  LinkStatus ConnectionFailed(int error);

  int fd_ = -1;
  NetworkPort port_;
  std::unique_ptr<ComPortControl> telnet_;  // over RFC 2217 only
};

}  // namespace marvek
