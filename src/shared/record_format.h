#pragma once

#include <cstddef>
#include <cstdint>

namespace marvek {

// How the display stores titles, which the conversion writes and the display's reading decodes:
// records of gap (2 bytes), duration (2 bytes), the text and the terminator "{", the image ending
// with 1 to 16 bytes of 0xFF that make it whole blocks. Kept below both so that neither reaches
// into the other for it.
inline constexpr char kRecordTerminator = '{';
inline constexpr char kFillByte = '\xFF';
inline constexpr std::size_t kRecordHeaderLength = 4;      // the gap and the duration
inline constexpr std::int64_t kLargestFrameCount = 65535;  // what two header bytes can hold

}  // namespace marvek
