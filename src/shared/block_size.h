#pragma once

#include <cstddef>

namespace marvek {

// The display takes its title image in blocks of 16 bytes: the conversion fills the image to
// whole blocks, and the upload sends each block in a frame of its own.
inline constexpr std::size_t kBlockSize = 16;

}  // namespace marvek
