#pragma once

#include <cstddef>

#include "shared/types.h"

namespace marvek {

// Writes records into an image through a plain pointer. The image grows a few megabytes at a
// time, ahead of the writing, so that a title costs no more than its bytes: no capacity check
// per piece, and the memory is fetched from the system in large runs rather than a page at a
// time.
class ImageWriter {
 public:
  // Writes after what `image` already holds; `expected` is a guess of the final size.
  ImageWriter(ByteString& image, std::size_t expected);

  // Room for at least `bytes` more bytes at the cursor.
  char* Room(std::size_t bytes);
  // Moves the cursor to `end`, which lies within the last Room().
  void Advance(char* end) { used_ = static_cast<std::size_t>(end - image_.data()); }
  // The bytes written so far, and where the image starts; Room() may move it.
  std::size_t written() const { return used_; }
  const char* data() const { return image_.data(); }
  // Cuts the image to what was written. The writer must not be used afterwards.
  void Finish() { image_.resize(used_); }

 private:
  ByteString& image_;
  std::size_t used_;
};

}  // namespace marvek
