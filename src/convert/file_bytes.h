#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace marvek {

// A whole file read into memory, or the reason it could not be read.
struct FileBytes {
  bool ok = false;
  std::string reason;  // the system's wording when !ok
  std::unique_ptr<char[]> data;
  std::size_t size = 0;

  std::string_view view() const { return {data.get(), size}; }
};

// Reads the regular file at `path` in large blocks. Folders, devices and pipes are refused
// without being read, so a wrong choice can neither hang the reader nor fill the memory.
FileBytes ReadWholeFile(const std::string& path);

}  // namespace marvek
