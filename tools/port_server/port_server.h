#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace marvek::sim {

// Debian's ser2net serving a device (the simulator's pseudo-terminal) on this machine's
// loopback address only: over RFC 2217 on one TCP port and as raw TCP on another. For tests and
// benchmarks; it never listens on any other address.
class PortServer {
 public:
  // `chardelay`: whether ser2net holds what it reads from the device a moment before sending
  // it on, as it does unless told otherwise.
  explicit PortServer(std::string device, bool chardelay = false);
  ~PortServer();  // ends the server and removes its files
  PortServer(const PortServer&) = delete;
  PortServer& operator=(const PortServer&) = delete;

  // Whether ser2net is installed where Debian puts it.
  static bool Installed();

  // Writes the configuration, starts ser2net and waits until it listens on both ports. Returns
  // why it could not, or nothing when it serves.
  [[nodiscard]] std::optional<std::string> Start();

  // "rfc2217://127.0.0.1:PORT" and "socket://127.0.0.1:PORT", as the operator would type them.
  std::string ComPortControlAddress() const;
  std::string RawAddress() const;

  // The server goes away at once, as a machine that loses power: its connections drop.
  void Kill();

 private:
  // Starts ser2net on the written configuration, its output to `log`.
  bool Spawn(const std::string& log);
  bool Listening(int port) const;

  std::string device_;
  bool chardelay_;
  std::filesystem::path folder_;  // the configuration, the pid file and ser2net's log
  int comPortControlPort_ = 0;
  int rawPort_ = 0;
  pid_t pid_ = -1;
};

// A TCP port of 127.0.0.1 that nothing listens on at the moment of asking.
int FreeLoopbackPort();

}  // namespace marvek::sim
