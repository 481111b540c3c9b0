#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/frame_rate.h"
#include "convert/record_source.h"
#include "convert/text_encoding.h"
#include "convert/timing_report.h"
#include "shared/operator_panel.h"
#include "shared/types.h"

namespace marvek {

// The display stores titles as records: gap (2 bytes), duration (2 bytes), the text, and the
// terminator "{"; the image ends with 1 to 16 bytes of 0xFF that make it whole 16-byte blocks.
inline constexpr char kRecordTerminator = '{';
inline constexpr char kFillByte = '\xFF';
inline constexpr std::size_t kImageBlockSize = 16;
inline constexpr std::int64_t kLargestFrameCount = 65535;  // what two header bytes can hold
inline constexpr std::int64_t kLargestFrameNumber = 2147483647;

enum class ConversionOutcome { Converted, Incorrect, Unreadable };

// Why a line made the conversion end Incorrect.
enum class LineFault {
  None,
  MissingBrace,       // not in the {start}{end}text layout
  FrameNotNumber,     // a frame field that is not a decimal number
  FrameTooLarge,      // a frame number above kLargestFrameNumber
  GapTooLong,         // more than kLargestFrameCount frames since the previous title ended
  DurationTooLong,    // a title lasting more than kLargestFrameCount frames
  TerminatorInText,   // a "{" left in the text, which the display would take for the record's end
  SubRipWithoutRate,  // a SubRip file, whose times need a frame rate to become frames
  SubRipLayout,       // a SubRip title without its number or its times
  Mpl2WithoutRate,    // an MPL2 file, whose times need a frame rate to become frames
  Mpl2Layout,         // an MPL2 line not in the [start][end]text layout
};

struct ConversionResult {
  ConversionOutcome outcome = ConversionOutcome::Converted;
  ByteString image;  // the unfilled image when Converted, empty otherwise
  TextEncoding encoding = TextEncoding::Windows1250;  // how the file was read
  bool cyrillicInLatin = false;  // Cyrillic letters were written in Latin letters
  std::size_t lineNumber = 0;    // the rejected line, counted from 1, when Incorrect
  LineFault fault = LineFault::None;
  // Incorrect: "Line 7: start frame "1a" is not a number". Unreadable: the system's reason.
  std::string reason;
  // What was done with the titles' times: the layout, the frame rates, retiming and the shift.
  TimingReport timing = {};
  // For each record of the image, in order, its line in the file and what the display's clock
  // did to it; filled only when ConversionOptions::keepRecordSources asks.
  std::vector<RecordSource> recordSources = {};
};

// How to read a title file beyond its character mode.
struct ConversionOptions {
  // The display's frame rate: the one frame-rate setting for every timed file. It turns the
  // times of a SubRip or MPL2 file into frames, and brace files are retimed to it. Without it a
  // SubRip or MPL2 file is refused, with a reason that says so.
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
  // Fill ConversionResult::recordSources. Off for a plain conversion: it costs 8 bytes a record.
  bool keepRecordSources = false;
};

// The reasons given for a timed file converted without the display's frame rate. They name no
// program and no setting: each face says how to give the rate.
inline constexpr const char* kSubRipNeedsRate =
    "this is a SubRip file, whose times need the display's frame rate";
inline constexpr const char* kMpl2NeedsRate =
    "this is an MPL2 file, whose times need the display's frame rate";

// Reads the title file at `path` and builds its records, reporting progress after every line.
// The file is closed before this returns, whatever the outcome.
ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options = {});

// The same conversion of file contents already in memory.
ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options = {});

// A frame count of 0 to 65535 as two bytes, most significant first.
std::array<char, 2> EncodeFrameCount(std::uint16_t value);

// Appends 16 - (length mod 16) bytes of 0xFF: at least one, at most sixteen.
void PadTitleImage(ByteString& image);

// Where one title goes on the display's clock. The display shows titles one after another, so
// a title that starts before the previous one has ended waits for it: it follows with no gap
// and keeps only the part of its time that is left.
class DisplayClock {
 public:
  struct Placement {
    std::int64_t gap;       // frames between the previous title's end and this one's start
    std::int64_t duration;  // frames this title stays on
  };
  Placement Place(std::int64_t start, std::int64_t end);
  std::int64_t previousEnd() const { return previousEnd_; }

 private:
  std::int64_t previousEnd_ = 0;
};

}  // namespace marvek
