#include "convert/sources/file_stamp.h"

namespace marvek {

FileStamp FileStamp::Of(const struct stat& info) {
  return {static_cast<std::int64_t>(info.st_size),
          static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool ChangedSince(int fd, const FileStamp& stamp) {
  struct stat info {};
  return ::fstat(fd, &info) != 0 || FileStamp::Of(info) != stamp;
}

}  // namespace marvek
