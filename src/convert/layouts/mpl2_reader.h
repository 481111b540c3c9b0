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

// True when `head`, the first bytes of a file, opens like an MPL2 file: its first line that is
// not blank begins with "[digits][digits]".
bool LooksLikeMpl2(std::string_view head);

// Appends the text of an MPL2 title as the display shows it: without MicroDVD formatting codes
// ({y:i}, {c:$0000ff}), SubRip-style tags (<i>, {\an8}), and the "/" that marks a line as
// italic at the start of the text or after a "|". The "|" between lines stays.
void AppendMpl2Text(std::string_view text, ByteString& out);

// Reads the lines of an MPL2 file, "[start][end]text" with times in tenths of a second, and
// hands each title to the record builder, its times turned into frames at the display's rate.
class Mpl2Reader {
 public:
  explicit Mpl2Reader(FrameRate rate) : rate_(rate) {}

  // Takes the next line of the file, without its line end. Returns LineFault::None, or why the
  // line cannot be a title, with the details in `why`; nothing is appended then.
  LineFault Add(std::string_view line, std::size_t lineNumber, RecordBuilder& builder,
                std::string& why);
  LineFault Add(const FileLine& line, std::size_t lineNumber, RecordBuilder& builder,
                std::string& why) {
    return Add(line.text, lineNumber, builder, why);
  }
  LineFault Finish(RecordBuilder&, std::string&) { return LineFault::None; }
  std::size_t faultLine() const { return lastLine_; }

 private:
  FrameRate rate_;
  ByteString text_;  // reused from title to title
  std::size_t lastLine_ = 0;
};

}  // namespace marvek
