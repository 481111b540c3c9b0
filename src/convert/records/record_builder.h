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
#include "convert/records/record_source.h"
#include "convert/timing/frame_rate.h"
#include "convert/records/record_format.h"

namespace marvek {

class TitleTiming;

// Turns title lines into records appended to an image, keeping the display's clock from one
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

  // Appends the records of line `lineNumber`, which holds `braces` "{" and "}". Returns
  // LineFault::None, or, without repair, the first reason the strict reading refuses the line
  // for, with the details in `why`.
  LineFault Add(std::string_view line, std::size_t braces, std::size_t lineNumber,
                std::string& why);
  // Appends the record of a title read from another layout (SubRip): its frames and its text, in
  // the file's encoding, its problems named at line `lineNumber`. Returns as Add() does.
  LineFault AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                     std::size_t lineNumber, std::string& why);
  // Notes a problem that another layout's reader found at line `lineNumber`. Returns `fault`
  // without repair, with `reason` in `why`; LineFault::None with repair.
  LineFault Problem(std::size_t lineNumber, RepairKind kind, LineFault fault,
                    const std::string& reason, std::string& why);

  // Leaves the image holding just the records written.
  void Finish() { writer_.Finish(); }
  // Whether Cyrillic letters were written in Latin letters.
  bool wroteCyrillic() const { return transcoder_.wroteCyrillic(); }
  // Whether a character the display cannot show was written otherwise.
  bool simplifiedLetters() const { return displayLetters_.changedAny(); }
  // The rate of a frame-rate line as the first title.
  const std::optional<FrameRate>& fileFrameRate() const { return fileFrameRate_; }

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

  // A line that is not the usual {digits}{digits}text.
  void AddUnusual(std::string_view line);
  // A line whose two fields are whole numbers; its text may hold run-on titles.
  void AddFields(std::int64_t start, std::int64_t end, std::string_view text, bool firstTitle);
  // One title of a brace line, its text still with its formatting codes.
  void AddBraceTitle(std::int64_t start, std::int64_t end, std::string_view text, bool firstTitle);
  // A title's text checked for braces and, in a brace line, the italic mark; then appended.
  void AddText(std::int64_t start, std::int64_t end, std::string_view text, bool braceLine);
  // Places the title on the display's clock and appends its records: the empty records that
  // bridge a long gap, and its text once for every 65535 frames it lasts.
  void Append(std::int64_t start, std::int64_t end, std::string_view text);

  // Notes a problem of the current line; `fault` is what the strict reading makes of it, None
  // where it takes the line as it stands. `reason()` gives the words, built only when wanted.
  template <typename Reason>
  void Note(RepairKind kind, LineFault fault, const Reason& reason);
  // Whether the current line is read the way repair reads it.
  bool Repairing() const { return rules_.repair || line_.fault != LineFault::None; }
  LineFault Outcome() const { return rules_.repair ? LineFault::None : line_.fault; }

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
  bool titleSeen_ = false;  // a line with the title layout and two whole numbers has been read
  std::optional<FrameRate> fileFrameRate_;
  ByteString codes_, slashes_, parentheses_;  // the text as each step rewrites it
  TitleTiming* timing_ = nullptr;
  std::vector<RecordSource>* sources_ = nullptr;
};

}  // namespace marvek
