#include "convert/records/image_writer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace marvek {
namespace {

// Large enough that appending it costs one call in many titles, small enough to stay in the
// cache between the writing of its records and their copy into the image.
constexpr std::size_t kBuffer = 64 * 1024;
constexpr std::size_t kSmallestBuffer = 256;
constexpr std::size_t kFetchStep = 4 * 1024 * 1024;
constexpr std::uintptr_t kPage = 4096;
constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;

// Asks the system for the pages of [from, to) in one call instead of one fault per page. Only
// a hint: where the call is unknown the pages still come, one fault at a time.
void FetchPages(const char* from, const char* to) {
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

// A large image is fetched two megabytes a page where the system allows it: one fault and one
// page-table entry for what would otherwise take 512.
void AskForHugePages(ByteString& image) {
#if defined(MADV_HUGEPAGE)
  const auto start = reinterpret_cast<std::uintptr_t>(image.data());
  const auto first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const auto last = (start + image.capacity()) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)image;
#endif
}

}  // namespace

ImageWriter::ImageWriter(ByteString& image, std::size_t expected)
    : image_(image),
      // A small file's records fit a buffer of their own size.
      bufferSize_(std::clamp(expected, kSmallestBuffer, kBuffer)) {
  buffer_ = std::make_unique_for_overwrite<char[]>(bufferSize_);
  cursor_ = buffer_.get();
  end_ = cursor_ + bufferSize_;
  image_.reserve(image_.size() + expected);
  AskForHugePages(image_);
}

void ImageWriter::FetchAhead(std::size_t bytes) {
  const std::size_t wanted = std::min(image_.size() + bytes, image_.capacity());
  if (fetched_ >= wanted) return;
  // The pages of the reserved room are fetched kFetchStep at a time, only where the image will
  // go: a small file costs no more than its own size.
  const std::size_t until = std::min(std::max(wanted, fetched_ + kFetchStep), image_.capacity());
  FetchPages(image_.data() + std::max(fetched_, image_.size()), image_.data() + until);
  fetched_ = until;
}

void ImageWriter::Settle() {
  if (direct_) {
    image_.resize(static_cast<std::size_t>(cursor_ - image_.data()));
    direct_ = false;
    return;
  }
  const auto used = static_cast<std::size_t>(cursor_ - buffer_.get());
  Reserve(used);
  FetchAhead(used);
  image_.append(buffer_.get(), used);
}

void ImageWriter::Reserve(std::size_t bytes) {
  if (image_.size() + bytes <= image_.capacity()) return;
  // The image outgrows the guess: twice the room, its pages asked for anew.
  image_.reserve(std::max(2 * image_.capacity(), image_.size() + bytes));
  AskForHugePages(image_);
  fetched_ = image_.size();
}

char* ImageWriter::Spill(std::size_t bytes) {
  Settle();
  if (bytes > kBuffer) {
    // A record longer than the buffer is written in the image itself, zero-filled for it: a
    // second copy of a title of hundreds of megabytes would cost more than the fill. The room
    // holds a buffer more, so that the records after it do not make the image grow at once.
    const std::size_t at = image_.size();
    Reserve(bytes + bufferSize_);
    image_.resize(at + bytes);
    direct_ = true;
    cursor_ = image_.data() + at;
    end_ = image_.data() + image_.size();
    return cursor_;
  }
  // A writer that outgrows the guess gets a larger buffer, up to kBuffer.
  if (bufferSize_ < bytes || bufferSize_ < kBuffer) {
    bufferSize_ = std::max(std::min(2 * bufferSize_, kBuffer), bytes);
    buffer_ = std::make_unique_for_overwrite<char[]>(bufferSize_);
  }
  cursor_ = buffer_.get();
  end_ = cursor_ + bufferSize_;
  return cursor_;
}

}  // namespace marvek
