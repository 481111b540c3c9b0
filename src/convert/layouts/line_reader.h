#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace marvek {

class Utf16Reader;

// One line of a title file, without its line end.
struct FileLine {
  std::string_view text;
  std::size_t endLength = 0;  // 2 for CR LF, 1 for a lone LF or CR, 0 at the end of the file
  bool last = false;          // nothing follows it in the file
  std::size_t braces = 0;     // the number of "{" and "}" in the line
  bool slash = false;         // a "/" in the line
};

// Cuts a file, or bytes already in memory, into lines ended by CR LF, a lone LF or a lone CR.
// A line end at the very end of the file opens no further line. A file is read in large
// blocks through one buffer that is reused, and grows only for a line longer than itself.
class LineReader {
 public:
  static constexpr std::size_t kBlock = 256 * 1024;

  // Reads `fd` from where it stands, `block` bytes at a time at the least.
  explicit LineReader(int fd, std::size_t block = kBlock);
  explicit LineReader(std::string_view bytes);
  // Reads the UTF-8 that `source` decodes from a UTF-16 file.
  explicit LineReader(Utf16Reader& source, std::size_t block = kBlock);

  // The next line, valid until the next call; false at the end or on a read error.
  bool Next(FileLine& line);
  // The errno of a failed read, 0 when there was none.
  int error() const { return error_; }

 private:
  bool Fill();  // keeps the unread bytes and reads more after them; false on a read error

  int fd_ = -1;
  Utf16Reader* utf16_ = nullptr;
  std::unique_ptr<char[]> owned_;
  const char* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;    // first unread byte
  std::size_t filled_ = 0;   // end of the bytes read so far
  std::size_t scanned_ = 0;  // bytes after begin_ known to hold no line end
  std::size_t braces_ = 0;   // braces among the scanned bytes
  bool slash_ = false;       // a slash among the scanned bytes
  bool eof_ = false;
  int error_ = 0;
};

}  // namespace marvek
