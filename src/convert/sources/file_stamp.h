#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace marvek {

// What tells whether a file was written between two looks at it: its length and the time of its
// last change. A file saved anew under the same name is another file, which the open one is not.
struct FileStamp {
  std::int64_t length = 0;
  std::int64_t changedNs = 0;

  static FileStamp Of(const struct stat& info);
  bool operator==(const FileStamp&) const = default;
};

// Whether the open file `fd` no longer has `stamp`: another program wrote or cut it while it
// was read. A file that can no longer be looked at counts as changed.
bool ChangedSince(int fd, const FileStamp& stamp);

}  // namespace marvek
