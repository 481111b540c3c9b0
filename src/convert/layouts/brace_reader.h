#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/layouts/layout_reader.h"
#include "convert/layouts/line_reader.h"
#include "convert/records/line_problems.h"
#include "convert/timing/frame_rate.h"
#include "shared/types.h"

namespace marvek {

class RecordBuilder;
class TitleTiming;
struct TimingReport;

// Reads the lines of a brace file, "{start}{end}text" in frames of the film, and hands each title
// to the record builder. Every line is read the strict way and, where that refuses it, the way
// repair reads it: formatting codes go, a title running on in the text becomes a title of its
// own, and a frame-rate line as the first title ({1}{1}23.976) gives the file's frame rate.
class BraceReader {
 public:
  explicit BraceReader(const ReaderSettings& settings)
      : timing_(settings.timing), report_(settings.report) {}

  // Takes line `lineNumber` of the file. Returns LineFault::None, or, without repair, the first
  // reason the strict reading refuses the line for, with the details in `why`.
  LineFault Add(const FileLine& line, std::size_t lineNumber, RecordBuilder& builder,
                std::string& why);
  LineFault Finish(RecordBuilder&, std::string&) { return LineFault::None; }
  std::size_t faultLine() const { return lineNumber_; }
  // The rate of a frame-rate line as the first title.
  const std::optional<FrameRate>& fileFrameRate() const { return fileFrameRate_; }

 private:
  // A line that is not the usual {digits}{digits}text.
  void AddUnusual(std::string_view line, RecordBuilder& builder);
  // A line whose two fields are whole numbers; its text may hold run-on titles.
  void AddFields(std::int64_t start, std::int64_t end, std::string_view text, bool firstTitle,
                 RecordBuilder& builder);
  // One title of a line, its text still with its formatting codes.
  void AddTitle(std::int64_t start, std::int64_t end, std::string_view text, bool firstTitle,
                RecordBuilder& builder);
  // After the frame-rate line: the titles that follow are retimed from the file's rate.
  void UseFileRate(RecordBuilder& builder);

  TitleTiming* timing_;
  TimingReport* report_;
  std::size_t lineNumber_ = 0;
  bool titleSeen_ = false;  // a line with the title layout and two whole numbers has been read
  bool fileRateUsed_ = false;
  std::optional<FrameRate> fileFrameRate_;
  ByteString codes_, slashes_;  // the text as each step rewrites it
};

// Whether `rest`, a file's start from one of its lines on, begins with a brace title line.
bool OpensWithBraceTitle(std::string_view rest);

}  // namespace marvek
