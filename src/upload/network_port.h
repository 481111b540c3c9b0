#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marvek {

// How a display's line is served over the network.
enum class NetworkProtocol {
  ComPortControl,  // "rfc2217://": telnet, and the client sets the far line's speed
  RawTcp,          // "socket://": the bytes as they are; the server keeps its own speed
};

// A port text such as "rfc2217://booth:4001", "socket://10.0.0.7:4001" or
// "rfc2217://[fe80::1]:4001", taken apart.
struct NetworkPort {
  NetworkProtocol protocol = NetworkProtocol::RawTcp;
  std::string host;     // a name, an IPv4 address, or an IPv6 address without its brackets
  std::string service;  // the TCP port, in digits
  std::string where;    // "booth:4001": the text after the prefix, for the operator's lines
};

// Whether `portText` begins with one of the two network prefixes, and so is read as nothing
// else, usable or not.
bool IsNetworkPortText(std::string_view portText);

// The parts of a network port text; nullopt when it is not one, or names no host, or no TCP
// port from 1 to 65535.
std::optional<NetworkPort> ParseNetworkPort(std::string_view portText);

}  // namespace marvek
