#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace marvek {

// Reads a UTF-16 file, or its bytes in memory, and hands out its text as UTF-8, so that the line
// reader finds its line ends and braces as in any other title file. An unpaired surrogate and an
// odd last byte each become U+FFFD.
class Utf16Reader {
 public:
  static constexpr std::size_t kBlock = 64 * 1024;

  // Reads `fd` from where it stands (past the byte order mark).
  Utf16Reader(int fd, bool bigEndian);
  Utf16Reader(std::string_view bytes, bool bigEndian);

  // Like read(2): up to `room` bytes of UTF-8 into `to`, 0 only at the end of the file, -1 with
  // errno set when reading failed. A character cut by `room` comes whole over two calls.
  ssize_t Read(char* to, std::size_t room);

 private:
  bool Refill();  // false on a read error
  char32_t NextCharacter();

  int fd_ = -1;
  bool bigEndian_;
  std::unique_ptr<char[]> owned_;
  const unsigned char* data_ = nullptr;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  char pending_[4] = {};  // the rest of a character that did not fit into the last call's room
  std::size_t pendingBegin_ = 0;
  std::size_t pendingEnd_ = 0;
};

// The number of UTF-16 code units that the UTF-8 `text` was decoded from: what a line of a UTF-16
// file counts in the file, in units of two bytes.
std::size_t Utf16Units(std::string_view utf8);

}  // namespace marvek
