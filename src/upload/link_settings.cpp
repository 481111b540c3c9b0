#include <charconv>

#include "upload/network_port.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

LinkSettings FromOperatorChoice(std::string_view portText, std::string_view speedText) {
  LinkSettings link;
  link.settings = std::string(speedText) + ",N,8,1";

  if (IsNetworkPortText(portText)) {
    // The whole text is kept: it says how to reach the port, and the operator knows it so.
    link.network = ParseNetworkPort(portText);
    if (!link.network) {
      link.problem = "Port \"" + std::string(portText) + "\" names no port";
      return link;
    }
    link.device = std::string(portText);
  } else if (portText.starts_with('/')) {
    link.device = std::string(portText);
  } else if (portText.size() >= 4 && portText[3] >= '1' && portText[3] <= '9') {
    // Only the fourth character counts: "Com12" is port 1.
    link.portNumber = portText[3] - '0';
    link.device = "/dev/ttyS" + std::to_string(link.portNumber - 1);
  } else {
    // What the text may be instead is the face's to say, in its own terms.
    link.problem = "Port \"" + std::string(portText) + "\" names no port";
    return link;
  }

  const std::string_view digits = TrimBlanks(speedText);
  int speed = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), speed);
  if (error != std::errc{} || end != digits.data() + digits.size() || speed <= 0) {
    link.problem = "Speed \"" + std::string(speedText) +
                   "\" is not a whole number of bits per second, such as 9600";
    return link;
  }
  link.speed = speed;
  return link;
}

}  // namespace marvek
