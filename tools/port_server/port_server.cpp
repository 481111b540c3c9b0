#include "port_server/port_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace marvek::sim {
namespace {

constexpr const char* kProgram = "/usr/sbin/ser2net";
constexpr std::chrono::seconds kStartLimit{5};

std::string Connection(const std::string& name, const std::string& accepter,
                       const std::string& device, bool chardelay) {
  return "connection: &" + name + "\n  accepter: " + accepter + "\n  connector: serialdev," +
         device + ",9600n81,local\n  options:\n    chardelay: " + (chardelay ? "true" : "false") +
         "\n";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port;
}

PortServer::PortServer(std::string device, bool chardelay)
    : device_(std::move(device)), chardelay_(chardelay) {}

PortServer::~PortServer() {
  Kill();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool PortServer::Installed() {
  return ::access(kProgram, X_OK) == 0;
}

std::string PortServer::ComPortControlAddress() const {
  return "rfc2217://127.0.0.1:" + std::to_string(comPortControlPort_);
}

std::string PortServer::RawAddress() const {
  return "socket://127.0.0.1:" + std::to_string(rawPort_);
}

void PortServer::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool PortServer::Listening(int port) const {
  // The kernel's table of TCP sockets: 0100007F is 127.0.0.1, state 0A is LISTEN.
  char local[32];
  std::snprintf(local, sizeof local, "0100007F:%04X", static_cast<unsigned>(port));
  std::ifstream table("/proc/net/tcp");
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, address, remote, state;
    fields >> slot >> address >> remote >> state;
    if (address == local && state == "0A") return true;
  }
  return false;
}

bool PortServer::Spawn(const std::string& log) {
  // In the foreground (-n, -d), without UUCP lock files (-u), with its own pid file.
  const std::string config = (folder_ / "ser2net.yaml").string();
  const std::string pidFile = (folder_ / "ser2net.pid").string();
  std::vector<std::string> words{kProgram, "-n", "-d", "-u", "-P", pidFile, "-c", config};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int spawned = ::posix_spawn(&pid_, kProgram, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) pid_ = -1;
  return spawned == 0;
}

std::optional<std::string> PortServer::Start() {
  std::string pattern = (std::filesystem::temp_directory_path() / "marvek-ser2net-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return "cannot make a folder for ser2net";
  folder_ = pattern;
  comPortControlPort_ = FreeLoopbackPort();
  do {
    rawPort_ = FreeLoopbackPort();
  } while (rawPort_ == comPortControlPort_);
  const std::string loopback = "tcp,127.0.0.1,";
  std::ofstream(folder_ / "ser2net.yaml")
      << Connection("rfc2217", "telnet(rfc2217)," + loopback + std::to_string(comPortControlPort_),
                    device_, chardelay_)
      << Connection("raw", loopback + std::to_string(rawPort_), device_, chardelay_);

  const std::string log = (folder_ / "ser2net.log").string();
  if (!Spawn(log)) return std::string("cannot start ") + kProgram;
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!Listening(comPortControlPort_) || !Listening(rawPort_)) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return "ser2net ended at once: " + ReadFile(log);
    }
    if (std::chrono::steady_clock::now() > deadline)
      return "ser2net does not listen: " + ReadFile(log);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return std::nullopt;
}

}  // namespace marvek::sim
