#pragma once

#include <chrono>
#include <string>

#include "shared/operator_panel.h"
#include "upload/network_port.h"

namespace marvek {

// How long finding the server and connecting to it may take.
inline constexpr std::chrono::seconds kConnectLimit{5};

// A connection to a port server, or why there is none.
struct Connection {
  int fd = -1;  // a connected TCP socket, non-blocking, owned by the caller; -1 on failure
  int error = 0;
  std::string reason;      // "connection refused", "the name cannot be found", ...
  bool cancelled = false;  // the operator asked to stop
};

// Finds the server of `port` and connects to it within kConnectLimit, handling the face's
// events all the while and ending as soon as the operator asks to stop. A name look-up runs on
// a thread of its own, so that a slow name server holds up neither the face nor the limit.
Connection ConnectToServer(const NetworkPort& port, OperatorPanel& panel);

}  // namespace marvek
