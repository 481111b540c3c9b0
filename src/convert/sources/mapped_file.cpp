#include "convert/sources/mapped_file.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

namespace marvek {
namespace {

// The mappings this thread reads. SIGBUS comes to the thread whose read faulted, so the handler
// needs only that thread's own list, and no lock.
constexpr int kMostGuarded = 8;
struct Guarded {
  const char* begin;
  const char* end;
  bool faulted;
};
thread_local Guarded tGuarded[kMostGuarded];
thread_local int tCount = 0;

struct sigaction gPrevious {};
bool gInstalled = false;
std::uintptr_t gPage = 4096;

// Gives the program the signal as it would have had it without this guard.
void PassOn(int signal, siginfo_t* info, void* context) {
  if ((gPrevious.sa_flags & SA_SIGINFO) != 0) {
    if (gPrevious.sa_sigaction != nullptr) gPrevious.sa_sigaction(signal, info, context);
    return;
  }
  if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN) {
    gPrevious.sa_handler(signal);
    return;
  }
  // The default action, as soon as this handler returns: the signal is blocked until then.
  ::sigaction(SIGBUS, &gPrevious, nullptr);
  ::raise(SIGBUS);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const char* const at = static_cast<const char*>(info->si_addr);
  for (int i = 0; i < tCount; ++i) {
    Guarded& guarded = tGuarded[i];
    if (info->si_code != BUS_ADRERR || at < guarded.begin || at >= guarded.end) continue;
    // The rest of the mapping becomes zeros, and the read that faulted is tried again.
    const auto from = reinterpret_cast<std::uintptr_t>(at) & ~(gPage - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(guarded.end);
    if (::mmap(reinterpret_cast<void*>(from), to - from, PROT_READ,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
      guarded.faulted = true;
      return;
    }
  }
  PassOn(signal, info, context);
}

// The guard is the process's SIGBUS handler from the first mapping on; false where it cannot be.
bool InstallGuard() {
  static std::once_flag once;
  std::call_once(once, [] {
    gPage = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    gInstalled = ::sigaction(SIGBUS, &action, &gPrevious) == 0;
  });
  return gInstalled;
}

}  // namespace

std::unique_ptr<MappedFile> MappedFile::Map(int fd, std::size_t length) {
  if (length == 0 || tCount == kMostGuarded || !InstallGuard()) return nullptr;
  const std::size_t mapped = (length + gPage - 1) / gPage * gPage;
  void* const begin = ::mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE, fd, 0);
  if (begin == MAP_FAILED) return nullptr;
  return std::unique_ptr<MappedFile>(new MappedFile(static_cast<char*>(begin), length, mapped));
}

MappedFile::MappedFile(char* begin, std::size_t length, std::size_t mapped)
    : begin_(begin), length_(length), mapped_(mapped), slot_(tCount) {
  tGuarded[slot_] = {begin_, begin_ + mapped_, false};
  ++tCount;
}

MappedFile::~MappedFile() {
  // Mappings of one thread end in the reverse order of their making.
  tCount = slot_;
  ::munmap(begin_, mapped_);
}

bool MappedFile::faulted() const {
  return tGuarded[slot_].faulted;
}

}  // namespace marvek
