#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/image_writer.h"
#include "convert/title_image.h"

namespace marvek {

// Turns title lines into records appended to an image, keeping the display's clock from one
// line to the next.
class RecordBuilder {
 public:
  // `expected` guesses the size of the finished image.
  RecordBuilder(CharMode mode, bool utf8, ByteString& image, std::size_t expected)
      : mode_(mode), utf8_(utf8), writer_(image, expected) {}

  // Appends the record of `line`, which holds `braces` "{" and "}". Returns LineFault::None, or
  // why the line cannot be a title, with the details in `why`; nothing is appended then.
  LineFault Add(std::string_view line, std::size_t braces, std::string& why);
  // Appends the record of a title read from another layout: its frames and its text, in the
  // file's encoding. The same checks and faults as Add().
  LineFault AddTitle(std::int64_t start, std::int64_t end, std::string_view text, std::string& why);
  // Leaves the image holding just the records written.
  void Finish() { writer_.Finish(); }

 private:
  // Places the title on the display's clock and appends its record; the text holds no "{".
  LineFault Append(std::int64_t start, std::int64_t end, std::string_view text, std::string& why);

  CharMode mode_;
  bool utf8_;
  ImageWriter writer_;
  DisplayClock clock_;
  ByteString transcoded_;  // reused for every UTF-8 line
};

}  // namespace marvek
