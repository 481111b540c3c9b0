#pragma once

#include <concepts>
#include <cstddef>
#include <optional>
#include <string>

#include "convert/layouts/line_reader.h"
#include "convert/records/line_problems.h"
#include "convert/timing/frame_rate.h"

namespace marvek {

class RecordBuilder;
class TitleTiming;
struct TimingReport;

// What a layout's reader is given besides the file's lines.
struct ReaderSettings {
  // The display's frame rate, which turns times into frames; always set for a layout of times.
  std::optional<FrameRate> displayRate;
  // The timing the builder passes titles through, and its report: a brace file's frame-rate line
  // changes both.
  TitleTiming* timing = nullptr;
  TimingReport* report = nullptr;
};

// The seam every reader of a line layout fits: it takes the file's lines one at a time and
// hands each finished title, with its line and its problems, to the record builder, through
// RecordBuilder::AddTitle and RecordBuilder::Problem (or, for the brace layout, the finer steps).
// Add and Finish return LineFault::None, or why the strict reading refuses the file, with the
// details in `why` and the line in faultLine().
template <typename Reader>
concept LayoutReader = requires(Reader reader, const Reader& read, const FileLine& line,
                                std::size_t lineNumber, RecordBuilder& builder, std::string& why) {
  { reader.Add(line, lineNumber, builder, why) } -> std::same_as<LineFault>;
  // At the end of the file: hands over what the last lines still hold.
  { reader.Finish(builder, why) } -> std::same_as<LineFault>;
  { read.faultLine() } -> std::same_as<std::size_t>;
};

}  // namespace marvek
