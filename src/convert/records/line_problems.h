#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marvek {

// Why a line makes the conversion end Incorrect when the file is read strictly.
enum class LineFault {
  None,
  BlankLine,          // empty, or only spaces and tabs
  MissingBrace,       // not in the {start}{end}text layout
  FrameNotNumber,     // a frame field that is not a decimal number
  FrameTooLarge,      // a frame number above kLargestFrameNumber
  FrameBeforeZero,    // a negative frame number, or a SubRip time before 0
  TerminatorInText,   // a "{" left in the text, which the display would take for the record's end
  TooManyCopies,      // a title so long that its repeated records would swamp the image
  SubRipWithoutRate,  // a SubRip file, whose times need a frame rate to become frames
  SubRipLayout,       // a SubRip title without its number or its times
  Mpl2WithoutRate,    // an MPL2 file, whose times need a frame rate to become frames
  Mpl2Layout,         // an MPL2 line not in the [start][end]text layout
  TimesWithoutRate,   // a source timed in seconds (DCP, ASS, ...) with no frame rate to hand
  NoTitle,            // a source with no title left once its events are read
  SourceLayout,       // a DCP title or an XML document that cannot be read
};

// What repair does with a line that the strict reading refuses or reads as it stands.
enum class RepairKind {
  // Left out:
  BlankLine,           // empty, or only spaces and tabs
  NotATitle,           // no {start}{end} layout, or a field that is no whole frame number
  FrameRateLine,       // the first title, {1}{1}23.976: the film's frame rate, not a title
  EndsAtOrBeforeZero,  // a title that would never be shown
  UnreadableCue,       // a SubRip title without its number or its times
  // Mended:
  StartBeforeZero,   // starts at frame 0 instead
  RunTogether,       // two titles on one line become two titles
  BracesInText,      // "{" and "}" become "(" and ")"
  SlashAtLineStart,  // the italic mark "/" at the start of a line of the title is removed
  TitleShortened,    // a title too long to repeat is cut to what the image can hold
};
inline constexpr std::size_t kRepairKinds = 10;
static_assert(static_cast<std::size_t>(RepairKind::TitleShortened) + 1 == kRepairKinds);

// True for the kinds whose lines repair leaves out; the others it mends.
inline bool LeavesOut(RepairKind kind) {
  return kind <= RepairKind::UnreadableCue;
}

// One problem of one line, as a check of the whole file lists it.
struct LineProblem {
  std::size_t lineNumber = 0;  // counted from 1
  RepairKind kind = RepairKind::NotATitle;
  // Why the strict reading refuses the line; None for what it reads as it stands (a frame-rate
  // line, a "/" or a lone "}" in the text, a title ending at frame 0).
  LineFault fault = LineFault::None;
  std::string reason;  // what is wrong, in words, without the line number

  bool refused() const { return fault != LineFault::None; }
};

// What repair did to a file: how many lines of each kind, and the first of them.
struct RepairReport {
  static constexpr std::size_t kFirstLinesKept = 3;
  struct Count {
    std::size_t lines = 0;
    std::array<std::size_t, kFirstLinesKept> first = {};  // the first `lines` of them, up to 3
  };
  std::array<Count, kRepairKinds> kinds = {};

  const Count& of(RepairKind kind) const { return kinds[static_cast<std::size_t>(kind)]; }
  bool empty() const;
};

// The one status line that says what repair left out and mended, with the first lines of each
// kind, for example: Repair left out 2 blank lines (2, 40); mended 212 lines that start with "/"
// (1, 2, 3, ...).
std::string RepairStatusLine(const RepairReport& report);

// One problem as a check lists it: "Line 7: start frame "1a" is not a number", followed, with
// `repair`, by what repair does about it.
std::string DescribeProblem(const LineProblem& problem, bool repair);

// Collects what repair does, line by line, and with `collect` every problem with its reason.
class ProblemLog {
 public:
  explicit ProblemLog(bool collect) : collect_(collect) {}

  // Whether reasons are wanted; building them costs a string each.
  bool collecting() const { return collect_; }
  // Counts `kind` once for line `lineNumber`, and keeps the problem when collecting.
  void Note(std::size_t lineNumber, RepairKind kind, LineFault fault, std::string_view reason);

  RepairReport report;
  std::vector<LineProblem> problems;

 private:
  bool collect_;
  std::array<std::size_t, kRepairKinds> lastLine_ = {};  // the line last counted, per kind
};

}  // namespace marvek
