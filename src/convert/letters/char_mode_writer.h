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

// Writes a title's text at `to` in device codes, as WriteCharMode does, looking in the same pass
// at whether the display shows every byte as it stands (see DisplayLetters). Returns the end, or
// null where it cannot say yes: a byte the display does not show, a text shorter than 16 bytes,
// a processor without SSSE3. The caller then writes the text the usual way, over what this wrote.
char* WriteShownDeviceCodes(std::string_view text, char* to);

// The same, appended to `out`.
void AppendCharMode(std::string_view text, CharMode mode, ByteString& out);

}  // namespace marvek
