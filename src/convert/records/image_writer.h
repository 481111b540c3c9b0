#pragma once

#include <cstddef>
#include <memory>

#include "shared/types.h"

namespace marvek {

// Writes records into an image through a plain pointer. Records are written into a small
// buffer that stays in the processor's cache and are appended to the image a buffer at a time:
// the image's bytes are written once, never zero-filled first, and a title costs no capacity
// check of the image. Only a record longer than the buffer is written in the image itself. The
// image's memory is fetched from the system ahead of the writing in large runs rather than a
// page at a time.
class ImageWriter {
 public:
  // Writes after what `image` already holds; `expected` is a guess of the final size.
  ImageWriter(ByteString& image, std::size_t expected);

  // Room for at least `bytes` more bytes at the cursor.
  char* Room(std::size_t bytes) {
    return static_cast<std::size_t>(end_ - cursor_) >= bytes ? cursor_ : Spill(bytes);
  }
  // Moves the cursor to `end`, which lies within the last Room().
  void Advance(char* end) { cursor_ = end; }
  // The bytes written so far.
  std::size_t written() const {
    return direct_ ? static_cast<std::size_t>(cursor_ - image_.data())
                   : image_.size() + static_cast<std::size_t>(cursor_ - buffer_.get());
  }
  // Leaves the image holding just the records written. The writer must not be used afterwards.
  void Finish() { Settle(); }

 private:
  // Leaves the image holding every record written so far, and returns room for `bytes`.
  char* Spill(std::size_t bytes);
  // Appends the buffer's records to the image, or cuts the image to the last record written in
  // it directly.
  void Settle();
  // Makes room in the image for `bytes` more.
  void Reserve(std::size_t bytes);
  // Fetches the pages of the image's room for the next `bytes` bytes.
  void FetchAhead(std::size_t bytes);

  ByteString& image_;
  std::unique_ptr<char[]> buffer_;
  std::size_t bufferSize_;
  char* cursor_ = nullptr;
  char* end_ = nullptr;
  std::size_t fetched_ = 0;  // image bytes, from its start, whose pages are fetched
  bool direct_ = false;      // the cursor is in the image itself, past its records
};

}  // namespace marvek
