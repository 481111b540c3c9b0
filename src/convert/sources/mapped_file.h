#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace marvek {

// A regular file's bytes mapped into memory, read where the system keeps them rather than
// copied out a block at a time. A page the system cannot give (the file was cut short by another
// program, or the disk failed) would stop the program with SIGBUS; here the rest of the mapping
// reads as zeros instead, and faulted() tells the caller to drop what it read.
//
// A mapping is read and ended on the thread that made it.
class MappedFile {
 public:
  // The first `length` bytes of the open file `fd`; null where they cannot be mapped (an empty
  // file, a file system without mappings), which the caller reads the usual way.
  static std::unique_ptr<MappedFile> Map(int fd, std::size_t length);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view bytes() const { return {begin_, length_}; }
  // Whether a page could not be read, so that zeros stand in for part of the file.
  bool faulted() const;

 private:
  MappedFile(char* begin, std::size_t length, std::size_t mapped);

  char* begin_;
  std::size_t length_;
  std::size_t mapped_;  // the length rounded up to whole pages
  int slot_;            // this mapping's place among the thread's guarded mappings
};

}  // namespace marvek
