#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/layouts/line_reader.h"
#include "convert/records/line_problems.h"
#include "convert/timing/frame_rate.h"
#include "shared/types.h"

namespace marvek {

class RecordBuilder;

// Reads a line of SubRip times, "00:01:02,500 --> 00:01:04,000", into milliseconds; a time with
// "-" in front is before 0. Anything after the second time (display coordinates) is ignored.
// False when the line is not one.
bool ParseSubRipTimes(std::string_view line, std::int64_t& start, std::int64_t& end);

// True when `head`, the first bytes of a file, opens like a SubRip file: after any blank lines,
// a title number on a line of its own, then a line of times; or the line of times at once.
bool LooksLikeSubRip(std::string_view head);

// Appends one text line of a title without its formatting: the tags <i>, <b>, <u>, <font ...>
// and their closing tags, in any case, and codes such as {\an8}. Other text stays as it is.
void AppendWithoutTags(std::string_view line, ByteString& text);

// Reads the lines of a SubRip file one at a time (a number, a line of times, the text lines, a
// blank line) and hands each finished title to the record builder, its times turned into frames.
// A title that cannot be read is a problem for the builder to note; reading goes on after the
// next blank line, which is what repair does with it.
class SubRipReader {
 public:
  explicit SubRipReader(FrameRate rate) : rate_(rate) {}

  // Takes line `lineNumber` of the file, without its line end. Returns LineFault::None, or, as
  // the builder decides, why the strict reading refuses the file, with the details in `why` and
  // the line in faultLine().
  LineFault Add(std::string_view line, std::size_t lineNumber, RecordBuilder& builder,
                std::string& why);
  LineFault Add(const FileLine& line, std::size_t lineNumber, RecordBuilder& builder,
                std::string& why) {
    return Add(line.text, lineNumber, builder, why);
  }
  // At the end of the file: hands over the last title when no blank line followed it.
  LineFault Finish(RecordBuilder& builder, std::string& why);
  // The line a fault belongs to: the offending line, or the times line of a title that cannot
  // be shown.
  std::size_t faultLine() const { return faultLine_; }

 private:
  enum class Expect { Number, Times, Text, Skip };
  // A line where the times of a title are due.
  LineFault ReadTimes(std::string_view line, std::size_t lineNumber, RecordBuilder& builder,
                      std::string& why);
  LineFault HandOver(RecordBuilder& builder, std::string& why);

  FrameRate rate_;
  Expect expect_ = Expect::Number;
  std::int64_t start_ = 0;  // frames of the title being read
  std::int64_t end_ = 0;
  std::size_t timesLine_ = 0;
  std::size_t lastLine_ = 0;
  bool hasText_ = false;
  ByteString text_;
  std::size_t faultLine_ = 0;
};

}  // namespace marvek
