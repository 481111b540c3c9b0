#pragma once

#include <string>

namespace marvek {

// Raw bytes: one char is one byte. Titles, header bytes and fill all travel as byte strings.
using ByteString = std::string;

// How the Central-European letters č ć š ž đ and their capitals are sent to the display.
enum class CharMode {
  DeviceCodes,   // each letter becomes the display's own one-byte code
  PlainLetters,  // each letter becomes the nearest plain Latin letter(s)
};

}  // namespace marvek
