#include "convert/line_conversion.h"

#include <string>
#include <utility>

#include "convert/encoding/utf16_reader.h"
#include "convert/records/record_builder.h"
#include "convert/timing/title_timing.h"
#include "shared/system_reason.h"

namespace marvek {
namespace {

// The progress through a file, counted by the bytes of its lines.
class Progress {
 public:
  Progress(FileExtent extent, bool utf16)
      : length_(extent.length),
        consumed_(extent.consumed),
        utf16_(utf16),
        percentPerByte_(100.0 / static_cast<double>(extent.length)) {}

  // Counts `line` as read; returns consumed ÷ length × 100, exactly 100 once the file is in.
  float Count(const FileLine& line) {
    // The last line counts without its line end; a UTF-16 file's lines count two bytes a unit.
    const std::size_t lineEnd = line.last ? 0 : line.endLength;
    consumed_ += utf16_ ? 2 * (Utf16Units(line.text) + lineEnd) : line.text.size() + lineEnd;
    return static_cast<float>(
        consumed_ >= length_ ? 100.0 : static_cast<double>(consumed_) * percentPerByte_);
  }

 private:
  std::size_t length_;
  std::size_t consumed_;
  bool utf16_;
  double percentPerByte_;
};

// One conversion of a file's lines: what every layout's reading shares.
struct LineRun {
  LineRun(FileExtent extent, CharMode mode, const ConversionOptions& options, OperatorPanel& panel,
          ConversionResult& result)
      : options(options),
        panel(panel),
        result(result),
        progress(extent, IsUtf16(result.encoding)),
        log(options.collectProblems),
        // A UTF-16 file reaches the lines decoded to UTF-8. Records are shorter than their lines
        // unless many đ/Đ expand, so the file's length plus the fill is usually the only
        // allocation.
        builder(mode, IsUtf16(result.encoding) ? TextEncoding::Utf8 : result.encoding, result.image,
                extent.length + kBlockSize,
                {.repair = options.repair, .collect = options.collectProblems}, log),
        timing(StartTiming(result.timing.layout, options.displayRate, options.fileRate,
                           options.shift, result.timing)) {
    if (timing.active()) builder.SetTiming(&timing);
    if (options.keepRecordSources) builder.KeepSources(&result.recordSources);
  }

  // The first refusal of the strict reading; reading goes on only to list every problem.
  void Refuse(LineFault fault, std::size_t at) {
    if (result.outcome == ConversionOutcome::Incorrect) return;
    result.outcome = ConversionOutcome::Incorrect;
    result.lineNumber = at;
    result.fault = fault;
    result.reason = why;
    result.repairable = true;
  }

  const ConversionOptions& options;
  OperatorPanel& panel;
  ConversionResult& result;
  Progress progress;
  ProblemLog log;
  RecordBuilder builder;
  TitleTiming timing;
  std::string why;
  std::size_t lines = 0;
};

// Reads every line through `reader`; false when the operator stopped the conversion.
template <LayoutReader Reader>
bool ReadLines(LineReader& lines, Reader& reader, LineRun& run) {
  FileLine line;
  while (lines.Next(line)) {
    const LineFault fault = reader.Add(line, ++run.lines, run.builder, run.why);
    if (fault != LineFault::None) {
      run.Refuse(fault, reader.faultLine());
      if (!run.options.collectProblems) break;
    }
    run.panel.SetProgress(run.progress.Count(line));
    if (run.panel.StopRequested()) return false;
  }
  if (lines.error() == 0 &&
      (run.result.outcome != ConversionOutcome::Incorrect || run.options.collectProblems)) {
    const LineFault fault = reader.Finish(run.builder, run.why);
    if (fault != LineFault::None) run.Refuse(fault, reader.faultLine());
  }
  if constexpr (requires { reader.fileFrameRate(); }) {
    run.result.fileFrameRate = reader.fileFrameRate();
  }
  return true;
}

// "no title in the file; repair left out all 834 lines": a file that has lines but no title
// once repair has left out what it refuses would convert to an empty image, which is no
// conversion of it.
void RefuseWithoutTitle(LineRun& run) {
  if (!run.options.repair || run.lines == 0 || run.builder.titles() != 0 ||
      run.result.outcome != ConversionOutcome::Converted) {
    return;
  }
  run.why = "no title in the file; repair left out ";
  run.why += run.lines == 1 ? "its only line" : "all " + std::to_string(run.lines) + " lines";
  run.Refuse(LineFault::NoTitle, 1);
  // Repair has done all it can.
  run.result.repairable = false;
}

// What is left of the result once the lines are read.
void FinishRun(LineRun& run, int readError) {
  ConversionResult& result = run.result;
  RefuseWithoutTitle(run);
  run.builder.Finish();
  FinishTiming(run.timing, result.timing);
  result.cyrillicInLatin = run.builder.wroteCyrillic();
  result.lettersSimplified = run.builder.simplifiedLetters();
  if (run.options.repair || run.options.collectProblems) result.repairs = run.log.report;
  result.problems = std::move(run.log.problems);
  if (result.outcome == ConversionOutcome::Incorrect) {
    ByteString().swap(result.image);  // the partial image is dropped, memory and all
    std::vector<RecordSource>().swap(result.recordSources);
  }
  if (readError != 0) {
    result = ConversionResult{};
    result.outcome = ConversionOutcome::Unreadable;
    result.reason = SystemReason(readError);
  }
}

}  // namespace

void ConvertLines(LineReader& lines, const TitleReader& reader, FileExtent extent, CharMode mode,
                  const ConversionOptions& options, OperatorPanel& panel,
                  ConversionResult& result) {
  LineRun run(extent, mode, options, panel, result);
  LineLayoutReader layoutReader = reader.readLines(
      {.displayRate = options.displayRate, .timing = &run.timing, .report = &result.timing});
  const bool finished =
      std::visit([&](auto& read) { return ReadLines(lines, read, run); }, layoutReader);
  if (!finished) {
    result.outcome = ConversionOutcome::Cancelled;
    ByteString().swap(result.image);
    return;
  }
  FinishRun(run, lines.error());
}

}  // namespace marvek
