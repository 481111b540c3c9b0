#pragma once

#include <string>
#include <string_view>

#include "convert/encoding/text_encoding.h"
#include "shared/types.h"

namespace marvek {

// Writes the text of titles in Windows-1250, whatever encoding their file came in. Cyrillic
// letters are written in Latin letters, Latin letters that Windows-1250 lacks as their base
// letters, and any other character that Windows-1250 lacks as "?".
class Windows1250Transcoder {
 public:
  // The text of a UTF-16 file reaches the transcoder already decoded to UTF-8.
  explicit Windows1250Transcoder(TextEncoding encoding) : encoding_(encoding) {}

  // `text` in Windows-1250: `text` itself where nothing changes, else a view of a buffer that the
  // next call reuses.
  std::string_view Transcode(std::string_view text) {
    // A Windows-1250 file, the usual one, costs no call.
    return encoding_ == TextEncoding::Windows1250 ? text : TranscodeOther(text);
  }

  // Whether any Cyrillic letter has been written in Latin letters so far.
  bool wroteCyrillic() const { return wroteCyrillic_; }

 private:
  std::string_view TranscodeOther(std::string_view text);

  TextEncoding encoding_;
  std::u32string characters_;
  ByteString out_;
  bool wroteCyrillic_ = false;
};

// Appends `characters` to `out` as Windows-1250 bytes, as Windows1250Transcoder writes them.
// kMalformedUtf8 becomes "?". Returns whether a Cyrillic letter was among them.
bool AppendCharactersAsWindows1250(std::u32string_view characters, ByteString& out);

}  // namespace marvek
