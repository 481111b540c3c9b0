#include "convert/sources/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "shared/system_reason.h"

namespace marvek {

std::string ReadWholeDescriptor(int fd, std::size_t length, std::size_t limit, std::string& bytes) {
  if (length > limit) {
    return "larger than " + std::to_string(limit / (1024 * 1024)) + " MB, too large for titles";
  }
  bytes.resize(length);
  std::size_t filled = 0;
  while (filled < length) {
    const ssize_t got =
        ::pread(fd, bytes.data() + filled, length - filled, static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return SystemReason(errno);
    if (got == 0) break;  // the file was cut short while it was read
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return {};
}

std::string ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes) {
  // O_NONBLOCK: a named pipe in the folder must not make open() wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return SystemReason(errno);
  struct stat info {};
  std::string why;
  if (::fstat(fd, &info) != 0) {
    why = SystemReason(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = "not a regular file";
  } else {
    why = ReadWholeDescriptor(fd, static_cast<std::size_t>(info.st_size), limit, bytes);
  }
  ::close(fd);
  return why;
}

}  // namespace marvek
