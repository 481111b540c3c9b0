#include "upload/network_port.h"

#include <charconv>

namespace marvek {
namespace {

constexpr std::string_view kComPortControlPrefix = "rfc2217://";
constexpr std::string_view kRawTcpPrefix = "socket://";

bool IsTcpPort(std::string_view digits) {
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return error == std::errc{} && end == digits.data() + digits.size() && number >= 1 &&
         number <= 65535 && digits.front() != '+';
}

}  // namespace

bool IsNetworkPortText(std::string_view portText) {
  return portText.starts_with(kComPortControlPrefix) || portText.starts_with(kRawTcpPrefix);
}

std::optional<NetworkPort> ParseNetworkPort(std::string_view portText) {
  NetworkPort port;
  if (portText.starts_with(kComPortControlPrefix)) {
    port.protocol = NetworkProtocol::ComPortControl;
    portText.remove_prefix(kComPortControlPrefix.size());
  } else if (portText.starts_with(kRawTcpPrefix)) {
    portText.remove_prefix(kRawTcpPrefix.size());
  } else {
    return std::nullopt;
  }
  port.where = std::string(portText);
  const std::size_t colon = portText.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = portText.substr(0, colon);
  const std::string_view service = portText.substr(colon + 1);
  if (host.starts_with('[')) {
    // An IPv6 address is bracketed, so that its own colons are not read as the port's.
    if (!host.ends_with(']')) return std::nullopt;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  const bool blank = host.find_first_of(" \t/") != std::string_view::npos;
  if (host.empty() || blank || !IsTcpPort(service)) return std::nullopt;
  port.host = std::string(host);
  port.service = std::string(service);
  return port;
}

}  // namespace marvek
