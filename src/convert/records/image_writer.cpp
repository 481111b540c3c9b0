#include "convert/records/image_writer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>

namespace marvek {
namespace {

constexpr std::size_t kGrowth = 4 * 1024 * 1024;
constexpr std::uintptr_t kPage = 4096;

// Asks the system for the pages of [from, to) in one call instead of one fault per page. Only
// a hint: where the call is unknown the pages still come, one fault at a time.
void FetchPages(char* from, char* to) {
#if defined(MADV_POPULATE_WRITE)
  const auto first = (reinterpret_cast<std::uintptr_t>(from) + kPage - 1) & ~(kPage - 1);
  const auto last = reinterpret_cast<std::uintptr_t>(to) & ~(kPage - 1);
  if (last > first) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
  }
#else
  (void)from;
  (void)to;
#endif
}

}  // namespace

ImageWriter::ImageWriter(ByteString& image, std::size_t expected)
    : image_(image), used_(image.size()) {
  image_.reserve(used_ + expected);
}

char* ImageWriter::Room(std::size_t bytes) {
  if (image_.size() - used_ < bytes) {
    // A step of kGrowth, no further than the room reserved for the expected image, and at least
    // what is asked for: a small file costs no more than its own size.
    const std::size_t step = std::min(used_ + kGrowth, image_.capacity());
    const std::size_t size = std::max(used_ + bytes, step);
    if (size > image_.capacity()) image_.reserve(std::max(size, image_.capacity() * 3 / 2));
    const std::size_t old = image_.size();
    FetchPages(image_.data() + old, image_.data() + size);
    image_.resize(size);
  }
  return image_.data() + used_;
}

}  // namespace marvek
