#pragma once

// What the fault tests share: the display on a pseudo-terminal watched for every open of its
// port, descriptor snapshots, a lean panel for runs of a million lines, and a child process whose
// peak memory is its own to measure.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "command/convert_upload.h"
#include "shared/operator_panel.h"
#include "support/panel_expectations.h"
#include "support/pty_pair.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"
#include "title_display_sim/title_display_sim.h"

// Defined by AddressSanitizer's runtime when the program has it, whichever parts are built with it.
extern "C" void __asan_init() __attribute__((weak));

namespace marvek::testing {

// AddressSanitizer's allocator keeps freed memory in quarantine and adds its own: memory peaks
// then measure the sanitizer rather than the code.
inline bool UnderAddressSanitizer() {
  return __asan_init != nullptr;
}

// Counts the opens of a device file by any process, through inotify.
class OpenWatch {
 public:
  OpenWatch() = default;
  ~OpenWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  bool Watch(const std::string& path) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0;
  }
  // The opens since Watch().
  int Opens() {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        opens_ += (event->mask & IN_OPEN) != 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return opens_;
  }

 private:
  int fd_ = -1;
  int opens_ = 0;
};

// The descriptors this process has open, each with what it refers to.
inline std::map<int, std::string> OpenDescriptors() {
  std::map<int, std::string> open;
  DIR* const dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return open;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::stoi(entry->d_name);
    if (fd == ::dirfd(dir)) continue;
    char target[512] = {};
    const std::string link = std::string("/proc/self/fd/") + entry->d_name;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    open[fd] = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "?";
  }
  ::closedir(dir);
  return open;
}

// Descriptors in `after` that `before` did not have.
inline std::vector<std::string> NewDescriptors(const std::map<int, std::string>& before,
                                               const std::map<int, std::string>& after) {
  std::vector<std::string> added;
  for (const auto& [fd, target] : after) {
    const auto was = before.find(fd);
    if (was == before.end() || was->second != target) {
      added.push_back(std::to_string(fd) + " -> " + target);
    }
  }
  return added;
}

// The display, whose port is watched for opens, and a folder for title files.
struct FaultStation {
  explicit FaultStation(sim::SimOptions options = {}) : display(std::move(options)) {
    const auto failed = display.Start();
    EXPECT_FALSE(failed.has_value()) << *failed;
    EXPECT_TRUE(portOpens.Watch(display.PortPath()));
  }

  // Presses Convert/Upload on the display's port at 115200 bits per second; checks that the
  // inputs frame the run and that it leaves no descriptor open.
  void Press(const std::string& file, CharMode mode, RecordingPanel& panel) {
    const auto before = OpenDescriptors();
    ConvertUpload(file, mode, display.PortPath(), "115200", panel);
    EXPECT_EQ(NewDescriptors(before, OpenDescriptors()), std::vector<std::string>{});
    ExpectFramedByInputs(panel);
  }

  sim::TitleDisplaySim display;
  OpenWatch portOpens;
  TempDir dir;
};

// A port with nothing behind it, watched for opens: a bare pseudo-terminal, which runs no thread
// of its own, for runs in a child process (see RunInChild).
struct BarePort {
  BarePort() {
    EXPECT_TRUE(pty.ok());
    EXPECT_TRUE(opens.Watch(pty.path()));
  }

  PtyPair pty;
  OpenWatch opens;
  TempDir dir;
};

// A panel for runs of a million lines: the status lines, and of the progress only how often it
// was set and its largest value.
class LeanPanel : public OperatorPanel {
 public:
  void AddStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgress(float percent) override {
    ++progressCalls;
    if (percent > largestProgress) largestProgress = percent;
  }
  void SetInputsEnabled(bool enabled) override { inputsEnabled = enabled; }
  void Beep() override {}
  void ProcessEvents() override {}

  std::vector<std::string> statuses;
  long progressCalls = 0;
  float largestProgress = 0;
  bool inputsEnabled = true;
};

// What a child process reported about its run.
struct ChildRun {
  bool exited = false;  // the child ended by itself rather than by a signal
  std::vector<std::string> statuses;
  bool inputsEnabled = false;
  long progressCalls = 0;
  long peakGrowthKb = 0;  // how far its peak resident memory rose above where it started
};

inline long StatusField(const char* name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(name)) return std::stol(line.substr(std::string_view(name).size()));
  }
  return -1;
}

inline std::size_t ThreadCount() {
  std::size_t threads = 0;
  if (DIR* const tasks = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(tasks)) threads += entry->d_name[0] != '.';
    ::closedir(tasks);
  }
  return threads;
}

// Runs `body(panel)` in a child process, so that its peak memory is measured on its own. The
// process must run no other thread: the child would inherit the locks it held, never released.
template <typename Body>
ChildRun RunInChild(Body body) {
  if (ThreadCount() != 1) {
    ADD_FAILURE() << "RunInChild forks; no other thread may run, but there are "
                  << ThreadCount() - 1;
    return {};
  }
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    // Start the peak over from what the child holds now.
    if (FILE* clear = std::fopen("/proc/self/clear_refs", "we")) {
      std::fputs("5", clear);
      std::fclose(clear);
    }
    const long start = StatusField("VmRSS:");
    LeanPanel panel;
    body(panel);
    std::ostringstream report;
    report << StatusField("VmHWM:") - start << ' ' << panel.inputsEnabled << ' '
           << panel.progressCalls << '\n';
    for (const std::string& line : panel.statuses) report << line << '\n';
    const std::string text = report.str();
    for (std::size_t at = 0; at < text.size();) {
      const ssize_t n = ::write(pipeFds[1], text.data() + at, text.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  ChildRun run;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return run;
  run.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::istringstream in(text);
  in >> run.peakGrowthKb >> run.inputsEnabled >> run.progressCalls;
  in.ignore(1);
  for (std::string line; std::getline(in, line);) run.statuses.push_back(line);
  return run;
}

}  // namespace marvek::testing
