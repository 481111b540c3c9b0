#pragma once

#include <cstddef>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// The character mode's treatment of č ć š ž đ Č Ć Š Ž Đ (Windows-1250 bytes), written straight
// into the records: DeviceCodes keeps the length; PlainLetters grows it by one byte for every đ
// and Đ. Every other byte stays as it is.

// The room WriteCharMode needs for `length` bytes of text.
inline std::size_t CharModeRoom(std::size_t length, CharMode mode) {
  return mode == CharMode::DeviceCodes ? length : 2 * length + 1;
}

// Writes the converted text at `to`, which has CharModeRoom() bytes, and returns its end.
char* WriteCharMode(std::string_view text, CharMode mode, char* to);

// The same, appended to `out`.
void AppendCharMode(std::string_view text, CharMode mode, ByteString& out);

}  // namespace marvek
