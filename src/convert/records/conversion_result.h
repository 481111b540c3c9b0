#pragma once

// What a conversion is asked and what it gives back. It stands below the readers of whole
// documents, which give their own results; convert/title_image.h publishes it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/encoding/text_encoding.h"
#include "convert/records/line_problems.h"
#include "convert/records/record_source.h"
#include "convert/timing/frame_rate.h"
#include "convert/timing/timing_report.h"
#include "shared/types.h"

namespace marvek {

// Cancelled: the operator asked to stop (OperatorPanel::StopRequested) before the last line.
enum class ConversionOutcome { Converted, Incorrect, Unreadable, Cancelled };

struct ConversionResult {
  ConversionOutcome outcome = ConversionOutcome::Converted;
  ByteString image;  // the unfilled image when Converted, empty otherwise
  TextEncoding encoding = TextEncoding::Windows1250;  // how the file was read
  bool cyrillicInLatin = false;  // Cyrillic letters were written in Latin letters
  // Characters the display cannot show were written as it can show them (é e, „ ", € ?).
  bool lettersSimplified = false;
  std::size_t lineNumber = 0;  // the refused line, counted from 1, when Incorrect
  LineFault fault = LineFault::None;
  // Incorrect: why the line is refused, without its number ("start frame "1a" is not a number").
  // Unreadable: the system's reason.
  std::string reason;
  // Incorrect: whether repair would leave out or mend the refused line.
  bool repairable = false;
  // The rate that a frame-rate line ({1}{1}23.976) as the file's first title gives, with or
  // without repair; nullopt when the file has none.
  std::optional<FrameRate> fileFrameRate = {};
  // What repair left out and mended, by kind, with the first lines of each. Counted with repair,
  // and with collectProblems; empty otherwise.
  RepairReport repairs = {};
  // With collectProblems: every problem of the file in the order of its lines, each with whether
  // the strict reading refuses it.
  std::vector<LineProblem> problems = {};
  // What was done with the titles' times: the layout, the frame rates, retiming and the shift.
  TimingReport timing = {};
  // For each record of the image, in order, its line in the file and what the display's clock
  // did to it; filled only when ConversionOptions::keepRecordSources asks.
  std::vector<RecordSource> recordSources = {};
  // A source read whole into timed events: its format ("DCP subtitle", "ASS"); empty for the
  // brace layout, SubRip and MPL2.
  std::string sourceFormat = {};
  // A DCP folder: how many reels were read.
  std::size_t reels = 0;
  // Where the display's frame rate came from when the source gave it ("the DCP"); empty when the
  // operator gave it or the layout needs none.
  std::string rateFrom = {};
};

// How to read a title file beyond its character mode.
struct ConversionOptions {
  // Leave out or mend the lines that the strict reading refuses (blank lines, lines that are no
  // title, negative frames, braces left in a text) and read what many files mean by the lines it
  // takes as they stand (a frame-rate line, the italic mark "/", a lone "}"). Never Incorrect for
  // a line, only for a file of lines in which no title is left; what was done is in the result's
  // `repairs`.
  bool repair = false;
  // Read to the end even past a refused line, and list every problem in the result's `problems`.
  // The outcome, image and first refusal are those of the reading asked for.
  bool collectProblems = false;
  // The display's frame rate: the one frame-rate setting for every timed file. It turns the
  // times of a SubRip or MPL2 file into frames, and brace files are retimed to it. Without it a
  // SubRip or MPL2 file is refused, with a reason that says so; so is a source timed in seconds
  // that states no rate of its own (a DCP's EditRate stands in for it).
  std::optional<FrameRate> displayRate = {};
  // The file's encoding when it is known beforehand: its bytes are not looked at to guess it,
  // and a byte order mark of that encoding at the start is skipped.
  std::optional<TextEncoding> encoding = {};
  // A brace file's own frame rate, over any frame-rate line in the file. When the file's rate is
  // known and differs from the display's, every frame is retimed to the display's rate; when it
  // is not known, frames go as they stand.
  std::optional<FrameRate> fileRate = {};
  // Frames added to every title after retiming (ShiftInFrames turns "-2.5s" into frames). A
  // title that then ends at or before frame 0 is left out; one that starts before it starts at 0.
  std::int64_t shift = 0;
  // Which title track of a film to read: a track's number, a language as the track is tagged
  // ("eng"), or empty for the film's default text track, else its first.
  std::string track = {};
  // Fill ConversionResult::recordSources. Off for a plain conversion: it costs 8 bytes a record.
  bool keepRecordSources = false;
};

// The reasons given for a timed file converted without the display's frame rate. They name no
// program and no setting: each face says how to give the rate.
inline constexpr const char* kSubRipNeedsRate =
    "this is a SubRip file, whose times need the display's frame rate";
inline constexpr const char* kMpl2NeedsRate =
    "this is an MPL2 file, whose times need the display's frame rate";

}  // namespace marvek
