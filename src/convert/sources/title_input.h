#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "convert/sources/file_stamp.h"

namespace marvek {

// Enough of a file's start to tell what reads it.
inline constexpr std::size_t kTitleHeadLength = 4096;

// What the table of readers is asked with, and what the chosen reader reads: a title file open
// for reading, a folder, or file contents already in memory.
struct TitleInput {
  std::string_view head;  // the first bytes as they stand, at most kTitleHeadLength
  // The head as the line readers see it: after a byte order mark, UTF-16 decoded to UTF-8, any
  // other encoding as it stands (its line ends, digits and brackets are ASCII). Every probe of a
  // text looks at this.
  std::string text;
  std::size_t length = 0;  // the file's or the contents' length in bytes
  std::string path;        // the file or folder; empty for contents in memory
  int fd = -1;             // the open regular file; -1 for a folder and for contents in memory
  FileStamp stamp;         // the open file's, when it was opened
  bool folder = false;
  std::string_view bytes;  // the contents in memory

  bool inMemory() const { return path.empty(); }
};

}  // namespace marvek
