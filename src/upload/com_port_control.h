#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shared/types.h"

struct telnet_t;
union telnet_event_t;

namespace marvek {

// The client's side of a telnet connection to a serial port server that lets its client set
// the far line (RFC 2217, "Telnet Com Port Control"). libtelnet reads and writes the telnet
// stream; this class adds the com port commands and keeps what the server answered. It does no
// I/O itself: the owner feeds it what the connection received and sends what it has to send.
class ComPortControl {
 public:
  ComPortControl();
  ~ComPortControl();
  ComPortControl(const ComPortControl&) = delete;
  ComPortControl& operator=(const ComPortControl&) = delete;

  // Offers the com port option and binary transmission both ways; the server's agreement comes
  // back through Receive().
  void Start();
  // Asks for the line the display needs: `bitsPerSecond`, 8 data bits, no parity, 1 stop bit,
  // no flow control. Only once the server has agreed to the com port option (Agreed()).
  void RequestLine(std::uint32_t bitsPerSecond);
  // Escapes `bytes` as telnet data (every 0xFF doubled) for sending.
  void SendData(std::string_view bytes);
  // Takes in what the connection received: the display's bytes are appended to `data`, telnet
  // commands among them are taken in here.
  void Receive(std::string_view received, ByteString& data);

  // What is to be written to the connection since the last call, taken away.
  ByteString TakeOutgoing();

  bool Agreed() const { return agreed_; }
  bool Refused() const { return refused_; }
  // The speed the server says its line runs at, once it has answered the request.
  std::optional<std::uint32_t> ConfirmedSpeed() const { return confirmedSpeed_; }
  // Why the telnet stream cannot be read any more; empty while it can.
  const std::string& ProtocolError() const { return protocolError_; }

 private:
  static void OnEvent(telnet_t* telnet, telnet_event_t* event, void* self);
  void Handle(const telnet_event_t& event);
  void HandleComPortReply(std::string_view reply);
  void Command(unsigned char command, std::string_view value);

  telnet_t* telnet_ = nullptr;
  ByteString outgoing_;
  ByteString* data_ = nullptr;  // where Receive() puts the display's bytes, while it runs
  bool agreed_ = false;
  bool refused_ = false;
  std::optional<std::uint32_t> confirmedSpeed_;
  std::string protocolError_;
};

}  // namespace marvek
