#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/letters/display_letters.h"
#include "convert/letters/windows1250_transcoder.h"
#include "convert/records/image_writer.h"
#include "convert/records/line_problems.h"
#include "convert/records/record_format.h"
#include "convert/records/record_source.h"

namespace marvek {

class TitleTiming;

// Turns titles into records appended to an image, keeping the display's clock from one
// line to the next.
//
// Every line is read the strict way and, where that refuses it, the way repair reads it; what
// repair does is counted in a ProblemLog. Without repair a refused line still gets the records
// repair would give it: the caller drops the image, or reads on to list every problem.
class RecordBuilder {
 public:
  struct Rules {
    bool repair = false;   // leave out or mend what the strict reading refuses
    bool collect = false;  // look for every problem, also those the strict reading lets pass
  };

  // The titles' text comes in `encoding` (UTF-8 for a UTF-16 file, decoded as it is read).
  // `expected` guesses the size of the finished image.
  RecordBuilder(CharMode mode, TextEncoding encoding, ByteString& image, std::size_t expected,
                Rules rules, ProblemLog& log)
      : mode_(mode),
        encoding_(encoding),
        transcoder_(encoding),
        writer_(image, expected),
        rules_(rules),
        careful_(rules.repair || rules.collect),
        log_(log) {}

  // Appends the record of a title read by a layout's reader: its frames and its text, in the
  // file's encoding, its problems named at line `lineNumber`. Returns LineFault::None, or,
  // without repair, the first reason the strict reading refuses the title for, with the details
  // in `why`. Readers of every layout hand their titles over here.
  LineFault AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                     std::size_t lineNumber, std::string& why);
  // Notes a problem that a layout's reader found at line `lineNumber`. Returns `fault` without
  // repair, with `reason` in `why`; LineFault::None with repair.
  LineFault Problem(std::size_t lineNumber, RepairKind kind, LineFault fault,
                    const std::string& reason, std::string& why);

  // The finer steps, for a reader whose lines hold several titles and problems (the brace
  // layout). A line begins with BeginLine; its problems are noted, its titles appended, and
  // Outcome() says what the strict reading makes of it.
  void BeginLine(std::size_t lineNumber, std::string& why) {
    line_ = {lineNumber, LineFault::None, &why};
  }
  // Notes a problem of the current line; `fault` is what the strict reading makes of it, None
  // where it takes the line as it stands. `reason()` gives the words, built only when wanted.
  template <typename Reason>
  void Note(RepairKind kind, LineFault fault, const Reason& reason);
  // Whether the current line is read the way repair reads it.
  bool Repairing() const { return rules_.repair || line_.fault != LineFault::None; }
  // Whether to look for what the strict reading lets pass.
  bool careful() const { return careful_; }
  LineFault Outcome() const { return rules_.repair ? LineFault::None : line_.fault; }
  // Notes a "{" in a title's text, which would end its record early, and with care a "}".
  void NoteBraces(std::string_view text);
  // Appends a title whose text was checked: its braces become parentheses when repairing.
  void AppendText(std::int64_t start, std::int64_t end, std::string_view text);
  // Places the title on the display's clock and appends its records: the empty records that
  // bridge a long gap, and its text once for every 65535 frames it lasts.
  void Append(std::int64_t start, std::int64_t end, std::string_view text);
  // The encoding the titles' text comes in.
  TextEncoding encoding() const { return encoding_; }
  // How many titles reached Append: those that neither repair nor the file left out.
  std::size_t titles() const { return titles_; }

  // Leaves the image holding just the records written.
  void Finish() { writer_.Finish(); }
  // Whether Cyrillic letters were written in Latin letters.
  bool wroteCyrillic() const { return transcoder_.wroteCyrillic(); }
  // Whether a character the display cannot show was written otherwise.
  bool simplifiedLetters() const { return displayLetters_.changedAny(); }
  // Passes every title's frames through `timing` (retiming, shift, the film's start) before the
  // display's clock places it; a title it leaves out gets no record. Null: frames as they stand.
  void SetTiming(TitleTiming* timing) { timing_ = timing; }
  // Appends to `sources`, for every record written, its line and what the clock did to it.
  void KeepSources(std::vector<RecordSource>* sources) { sources_ = sources; }

 private:
  // The line being read.
  struct Line {
    std::size_t number = 0;
    LineFault fault = LineFault::None;  // the first the strict reading refuses it for
    std::string* why = nullptr;
    bool mended = false;  // a problem that repair mends rather than leaves out
  };

  // The empty records that bridge a gap longer than the display counts; returns the gap left.
  std::int64_t WriteBridges(std::int64_t gap);
  // Writes `text`, that of the record just written, again in a record for every 65535 frames of
  // `duration`.
  void RepeatRecord(std::string_view text, std::int64_t duration);
  // Appends `copies` records of `recordBytes` bytes each, the same bytes, which `write` writes
  // at the place it is given.
  template <typename WriteRecord>
  void WriteCopies(std::int64_t copies, std::size_t recordBytes, const WriteRecord& write);
  // Cuts a title whose repeated records would take more than kLargestRepeatedTitle.
  void LimitCopies(DisplayClock::Placement& placement, std::size_t textLength);

  CharMode mode_;
  TextEncoding encoding_;
  Windows1250Transcoder transcoder_;
  DisplayLetters displayLetters_;
  ImageWriter writer_;
  DisplayClock clock_;
  Rules rules_;
  bool careful_;  // look for what the strict reading lets pass
  ProblemLog& log_;
  Line line_;
  std::size_t titles_ = 0;
  ByteString parentheses_;  // the text with its braces as parentheses
  TitleTiming* timing_ = nullptr;
  std::vector<RecordSource>* sources_ = nullptr;
};

template <typename Reason>
void RecordBuilder::Note(RepairKind kind, LineFault fault, const Reason& reason) {
  const bool first = fault != LineFault::None && line_.fault == LineFault::None;
  std::string words;
  if ((first && !rules_.repair) || log_.collecting()) words = reason();
  log_.Note(line_.number, kind, fault, words);
  if (!LeavesOut(kind)) line_.mended = true;
  if (first) {
    line_.fault = fault;
    if (!rules_.repair) *line_.why = std::move(words);
  }
}

}  // namespace marvek
