#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/display_letters.h"
#include "convert/image_writer.h"
#include "convert/title_image.h"
#include "convert/windows1250_transcoder.h"

namespace marvek {

// Turns title lines into records appended to an image, keeping the display's clock from one
// line to the next.
class RecordBuilder {
 public:
  // The titles' text comes in `encoding` (UTF-8 for a UTF-16 file, decoded as it is read).
  // `expected` guesses the size of the finished image.
  RecordBuilder(CharMode mode, TextEncoding encoding, ByteString& image, std::size_t expected)
      : mode_(mode), transcoder_(encoding), writer_(image, expected) {}

  // Appends the record of `line`, which holds `braces` "{" and "}". Returns LineFault::None, or
  // why the line cannot be a title, with the details in `why`; nothing is appended then.
  LineFault Add(std::string_view line, std::size_t braces, std::string& why);
  // Appends the record of a title read from another layout: its frames and its text, in the
  // file's encoding. The same checks and faults as Add().
  LineFault AddTitle(std::int64_t start, std::int64_t end, std::string_view text, std::string& why);
  // Leaves the image holding just the records written.
  void Finish() { writer_.Finish(); }
  // Whether Cyrillic letters were written in Latin letters.
  bool wroteCyrillic() const { return transcoder_.wroteCyrillic(); }
  // Whether a character the display cannot show was written otherwise.
  bool simplifiedLetters() const { return displayLetters_.changedAny(); }

 private:
  // Places the title on the display's clock and appends its record; the text holds no "{".
  LineFault Append(std::int64_t start, std::int64_t end, std::string_view text, std::string& why);

  CharMode mode_;
  Windows1250Transcoder transcoder_;
  DisplayLetters displayLetters_;
  ImageWriter writer_;
  DisplayClock clock_;
};

}  // namespace marvek
