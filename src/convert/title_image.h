#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/frame_rate.h"
#include "convert/text_encoding.h"
#include "shared/block_size.h"
#include "shared/operator_panel.h"
#include "shared/types.h"

namespace marvek {

// The display stores titles as records: gap (2 bytes), duration (2 bytes), the text, and the
// terminator "{"; the image ends with 1 to 16 bytes of 0xFF that make it whole blocks.
inline constexpr char kRecordTerminator = '{';
inline constexpr char kFillByte = '\xFF';
inline constexpr std::int64_t kLargestFrameCount = 65535;  // what two header bytes can hold
inline constexpr std::int64_t kLargestFrameNumber = 2147483647;

// Cancelled: the operator asked to stop (OperatorPanel::StopRequested) before the last line.
enum class ConversionOutcome { Converted, Incorrect, Unreadable, Cancelled };

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
};

// How to read a title file beyond its character mode.
struct ConversionOptions {
  // The film's frame rate, which turns the times of a SubRip file into frames. Without it a
  // SubRip file is refused, with a reason that says so.
  std::optional<FrameRate> subRipRate = {};
  // The file's encoding when it is known beforehand: its bytes are not looked at to guess it,
  // and a byte order mark of that encoding at the start is skipped.
  std::optional<TextEncoding> encoding = {};
};

// The reason given for a SubRip file converted without a frame rate. How to give one is the
// face's to say.
inline constexpr const char* kSubRipNeedsRate = "this is a SubRip file, which needs a frame rate";

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
