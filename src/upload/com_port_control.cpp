#include "upload/com_port_control.h"

#include <libtelnet.h>

#include <utility>

namespace marvek {
namespace {

// The com port option and its commands; a server answers each command with its code + 100.
constexpr unsigned char kComPortOption = 44;
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kSetControl = 5;
constexpr unsigned char kServerReply = 100;
constexpr char kParityNone = 1;
constexpr char kOneStopBit = 1;
constexpr char kNoFlowControl = 1;

// What this client agrees to when the server asks: the com port option from our side only, and
// binary both ways, so that a CR in the image is not taken for a telnet line end.
constexpr telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {kComPortOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

}  // namespace

ComPortControl::ComPortControl() {
  telnet_ = telnet_init(kOptions, &ComPortControl::OnEvent, 0, this);
}

ComPortControl::~ComPortControl() {
  if (telnet_ != nullptr) telnet_free(telnet_);
}

void ComPortControl::Start() {
  if (telnet_ == nullptr) {
    protocolError_ = "out of memory";
    return;
  }
  telnet_negotiate(telnet_, TELNET_WILL, kComPortOption);
  telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_BINARY);
  telnet_negotiate(telnet_, TELNET_DO, TELNET_TELOPT_BINARY);
}

void ComPortControl::Command(unsigned char command, std::string_view value) {
  std::string body(1, static_cast<char>(command));
  body.append(value);
  telnet_subnegotiation(telnet_, kComPortOption, body.data(), body.size());
}

void ComPortControl::RequestLine(std::uint32_t bitsPerSecond) {
  if (telnet_ == nullptr) return;
  // A speed the server told before this request (some tell theirs unasked) confirms nothing.
  confirmedSpeed_.reset();
  const char speed[4] = {static_cast<char>(bitsPerSecond >> 24),
                         static_cast<char>(bitsPerSecond >> 16),
                         static_cast<char>(bitsPerSecond >> 8), static_cast<char>(bitsPerSecond)};
  Command(kSetBaudRate, {speed, sizeof speed});
  Command(kSetDataSize, "\x08");
  Command(kSetParity, {&kParityNone, 1});
  Command(kSetStopSize, {&kOneStopBit, 1});
  Command(kSetControl, {&kNoFlowControl, 1});
}

void ComPortControl::SendData(std::string_view bytes) {
  if (telnet_ != nullptr) telnet_send(telnet_, bytes.data(), bytes.size());
}

void ComPortControl::Receive(std::string_view received, ByteString& data) {
  if (telnet_ == nullptr || !protocolError_.empty()) return;
  data_ = &data;
  telnet_recv(telnet_, received.data(), received.size());
  data_ = nullptr;
}

ByteString ComPortControl::TakeOutgoing() {
  return std::exchange(outgoing_, {});
}

void ComPortControl::OnEvent(telnet_t*, telnet_event_t* event, void* self) {
  static_cast<ComPortControl*>(self)->Handle(*event);
}

void ComPortControl::Handle(const telnet_event_t& event) {
  switch (event.type) {
    case TELNET_EV_DATA:
      if (data_ != nullptr) data_->append(event.data.buffer, event.data.size);
      break;
    case TELNET_EV_SEND:
      outgoing_.append(event.data.buffer, event.data.size);
      break;
    case TELNET_EV_DO:
      if (event.neg.telopt == kComPortOption) agreed_ = true;
      break;
    case TELNET_EV_DONT:
      if (event.neg.telopt == kComPortOption) refused_ = true;
      break;
    case TELNET_EV_SUBNEGOTIATION:
      if (event.sub.telopt == kComPortOption)
        HandleComPortReply({event.sub.buffer, event.sub.size});
      break;
    case TELNET_EV_ERROR:
      protocolError_ =
          std::string("the server's telnet stream is broken (") + event.error.msg + ")";
      break;
    default:
      break;  // the server's other options and notices change nothing here
  }
}

void ComPortControl::HandleComPortReply(std::string_view reply) {
  if (reply.size() != 5 || static_cast<unsigned char>(reply[0]) != kServerReply + kSetBaudRate) {
    return;
  }
  std::uint32_t speed = 0;
  for (std::size_t i = 1; i < 5; ++i) speed = (speed << 8) | static_cast<unsigned char>(reply[i]);
  confirmedSpeed_ = speed;
}

}  // namespace marvek
