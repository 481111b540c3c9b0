#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace marvek::testing {

// The program under test run as a process of its own: standard input empty (or the file
// `standardInput`), standard output and standard error each caught in a pipe, or standard error
// on `standardError` when given (a terminal, say).
class ProgramRun {
 public:
  ProgramRun(const std::string& program, const std::vector<std::string>& arguments,
             int standardError = -1, const std::string& standardInput = "/dev/null") {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
      ::close(out[0]);
      ::close(out[1]);
      return;
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, standardInput.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, standardError >= 0 ? standardError : err[1],
                                     STDERR_FILENO);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~ProgramRun() {
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      Finish();
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool started() const { return pid_ > 0; }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // Reads both pipes to their ends and waits for the program; returns its exit code, or -1 when
  // it did not start or ended by a signal it did not catch.
  int Finish() {
    if (pid_ <= 0) return -1;
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    std::string* into[2] = {&stdout_, &stderr_};
    int open = 2;
    while (open > 0) {
      if (::poll(fds, 2, -1) < 0) break;
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
          into[i]->append(buffer, static_cast<std::size_t>(n));
        } else {
          fds[i].fd = -1;
          --open;
        }
      }
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    finished_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& out() const { return stdout_; }
  const std::string& err() const { return stderr_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool finished_ = false;
  std::string stdout_;
  std::string stderr_;
};

}  // namespace marvek::testing
