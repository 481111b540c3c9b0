#pragma once

#include <cstddef>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// How the letters of a title file are written.
enum class TextEncoding {
  Windows1250,  // one byte a letter, taken as it stands
  Utf8,         // transcoded to Windows-1250 before the character mode
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// True when `bytes` begin with the UTF-8 byte order mark.
bool HasUtf8ByteOrderMark(std::string_view bytes);

// True when `bytes` are valid UTF-8 and hold at least one multi-byte sequence. A Windows-1250
// file with any of its letters above 0x7F almost never passes, so such files stay untouched.
bool LooksLikeUtf8(std::string_view bytes);

// Decides LooksLikeUtf8 for a file read in pieces; a sequence may be cut between two pieces.
class Utf8Detector {
 public:
  // Takes the next piece; false as soon as the bytes can no longer be UTF-8.
  bool Feed(std::string_view bytes);
  // After the last piece: valid UTF-8 with at least one multi-byte sequence.
  bool LooksLikeUtf8() const;

 private:
  char pending_[4] = {};  // the start of a sequence cut off at the end of the last piece
  std::size_t pendingLength_ = 0;
  bool invalid_ = false;
  bool multiByte_ = false;
};

// Appends `utf8` to `out` as Windows-1250 bytes. A character that Windows-1250 lacks, and every
// byte of a malformed sequence, becomes "?".
void AppendUtf8AsWindows1250(std::string_view utf8, ByteString& out);

// The Unicode character a Windows-1250 byte stands for, or 0 for the five unused bytes.
char32_t Windows1250ToUnicode(unsigned char byte);

}  // namespace marvek
