#include "convert/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "shared/system_reason.h"

namespace marvek {
namespace {

FileBytes Failure(std::string reason) {
  FileBytes result;
  result.reason = std::move(reason);
  return result;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

constexpr std::size_t kMinimumBlock = 64 * 1024;

}  // namespace

FileBytes ReadWholeFile(const std::string& path) {
  // O_NONBLOCK keeps open() from waiting on a pipe; it changes nothing for a regular file.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return Failure(SystemReason(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return Failure(SystemReason(errno));
  if (S_ISDIR(info.st_mode)) return Failure(SystemReason(EISDIR));
  if (!S_ISREG(info.st_mode)) return Failure("not a regular file");

  // One block the size of the file, one byte over so that growth since fstat() is noticed.
  std::size_t capacity =
      std::max<std::size_t>(static_cast<std::size_t>(info.st_size) + 1, kMinimumBlock);
  auto data = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t size = 0;
  for (;;) {
    if (size == capacity) {
      const std::size_t larger = capacity * 2;
      auto grown = std::make_unique_for_overwrite<char[]>(larger);
      std::memcpy(grown.get(), data.get(), size);
      data = std::move(grown);
      capacity = larger;
    }
    const ssize_t got = ::read(file.get(), data.get() + size, capacity - size);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Failure(SystemReason(errno));
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  FileBytes result;
  result.ok = true;
  result.data = std::move(data);
  result.size = size;
  return result;
}

}  // namespace marvek
