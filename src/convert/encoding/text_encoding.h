#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "shared/letter_codes.h"
#include "shared/types.h"

namespace marvek {

// How the letters of a title file are written.
// Every encoding but Windows-1250 is transcoded to Windows-1250 before the character mode.
enum class TextEncoding {
  Windows1250,        // one byte a letter, taken as it stands
  Utf8,               //
  Utf16LittleEndian,  // decoded to UTF-8 as the file is read, then as UTF-8
  Utf16BigEndian,     //
  Iso8859_2,          // one byte a letter, the Latin letters of Windows-1250 at other places
  Windows1251,        // one byte a letter, Cyrillic
  Windows1252,        // one byte a letter, Western European (French, German, Spanish, Italian)
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LittleEndianByteOrderMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BigEndianByteOrderMark = "\xFE\xFF";

struct ByteOrderMark {
  TextEncoding encoding;
  std::size_t length;
};

// The encoding that a byte order mark at the start of `bytes` announces, if one is there.
std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes);

// The mark that opens a file of `encoding`; empty for the encodings that have none.
std::string_view ByteOrderMarkOf(TextEncoding encoding);

inline bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16LittleEndian || encoding == TextEncoding::Utf16BigEndian;
}

// True when `bytes` begin with the UTF-8 byte order mark.
bool HasUtf8ByteOrderMark(std::string_view bytes);

// The first byte from `p` on that is above 0x7F, or `end`. Title files are mostly ASCII, so it
// goes eight bytes at a time.
const unsigned char* SkipAscii(const unsigned char* p, const unsigned char* end);

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

// Appends `utf8` to `out` as Windows-1250 bytes, Cyrillic in Latin letters and Latin letters that
// Windows-1250 lacks as their base letters. Any other character that Windows-1250 lacks, and
// every byte of a malformed sequence, becomes "?".
void AppendUtf8AsWindows1250(std::string_view utf8, ByteString& out);

// Stands for each byte of a malformed UTF-8 sequence among decoded characters.
inline constexpr char32_t kMalformedUtf8 = 0xFFFFFFFF;

// Decodes the character at `p` and advances past it; a malformed sequence (truncated, overlong,
// a surrogate, above U+10FFFF) gives kMalformedUtf8 and advances by one byte.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end);

// The Unicode character of a byte in ISO-8859-2, Windows-1251 or Windows-1252; 0 where nothing
// is assigned.
char32_t Iso8859_2ToUnicode(unsigned char byte);
char32_t Windows1251ToUnicode(unsigned char byte);
char32_t Windows1252ToUnicode(unsigned char byte);

// The character `byte` stands for in `encoding`, 0 where it stands for none: the one reading of a
// single-byte file that detection, transcoding and the quoting of a refused line share, so that
// they cannot disagree about a letter. An encoding that is not one byte a letter (UTF-8, UTF-16)
// reads as Windows-1250, the display's own.
char32_t SingleByteCharacter(TextEncoding encoding, unsigned char byte);

}  // namespace marvek
