#pragma once

#include <cstddef>

// The letters of Windows-1250, the display's own code page, and their UTF-8: what the conversion
// writes and the display's reading shows back, kept below both.
namespace marvek {

// The Unicode character a Windows-1250 byte stands for, or 0 for the five unused bytes.
char32_t Windows1250ToUnicode(unsigned char byte);

// The Windows-1250 byte of a character from U+0080 on, or 0 when Windows-1250 lacks it.
unsigned char UnicodeToWindows1250(char32_t c);

// Writes `c` (at most U+10FFFF) as UTF-8 to `out`, which has room for 4 bytes; returns how many.
std::size_t EncodeUtf8(char32_t c, char* out);

}  // namespace marvek
