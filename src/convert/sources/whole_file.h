#pragma once

#include <cstddef>
#include <string>

namespace marvek {

// Reads the regular file at `path` whole into `bytes`, when it holds at most `limit` bytes.
// Returns "" or why it cannot: the system's reason, "not a regular file" (a pipe or a device,
// which may never end), or that it is too large.
std::string ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes);

// The same for the regular file open as `fd`, `length` bytes long, read from its start.
std::string ReadWholeDescriptor(int fd, std::size_t length, std::size_t limit, std::string& bytes);

}  // namespace marvek
