#include "convert/title_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "convert/encoding/encoding_detector.h"
#include "convert/encoding/utf16_reader.h"
#include "convert/layouts/line_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/records/record_builder.h"
#include "convert/sources/other_sources.h"
#include "convert/timing/title_timing.h"
#include "shared/system_reason.h"

namespace marvek {
namespace {

ConversionResult Unreadable(int error) {
  ConversionResult result;
  result.outcome = ConversionOutcome::Unreadable;
  result.reason = SystemReason(error);
  return result;
}

// Closes the title file on every way out of ConvertTitleFile.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Runs the lines of `reader` through the record builder, reporting progress after each line.
// `length` is the file's length in bytes; `consumed` starts with bytes already read before the
// first line (a byte order mark). The lines are read in `layout`, a timed one at the display's
// frame rate, which PickLayout has made sure of.
void ConvertLines(LineReader& reader, std::size_t length, std::size_t consumed, CharMode mode,
                  TitleLayout layout, const ConversionOptions& options, OperatorPanel& panel,
                  ConversionResult& result) {
  ByteString& image = result.image;
  // A UTF-16 file reaches the lines decoded to UTF-8; its lines count two bytes a code unit.
  const bool utf16 = IsUtf16(result.encoding);
  ProblemLog log(options.collectProblems);
  // Records are shorter than their lines unless many đ/Đ expand, so the file's length plus the
  // fill is usually the only allocation.
  RecordBuilder builder(mode, utf16 ? TextEncoding::Utf8 : result.encoding, image,
                        length + kBlockSize,
                        {.repair = options.repair, .collect = options.collectProblems}, log);
  std::string why;
  std::size_t lineNumber = 0;
  const double percentPerByte = 100.0 / static_cast<double>(length);
  std::optional<SubRipReader> subRipReader;
  std::optional<Mpl2Reader> mpl2Reader;
  if (layout == TitleLayout::SubRip) subRipReader.emplace(*options.displayRate);
  if (layout == TitleLayout::Mpl2) mpl2Reader.emplace(*options.displayRate);
  // Retiming and the shift; a file read as it stands keeps the path it always had.
  TitleTiming timing =
      StartTiming(layout, options.displayRate, options.fileRate, options.shift, result.timing);
  if (timing.active()) builder.SetTiming(&timing);
  if (options.keepRecordSources) builder.KeepSources(&result.recordSources);
  // A frame-rate line, the first title of a brace file, may bring the file's rate.
  bool frameRateLineSeen = layout != TitleLayout::Braces;
  // The first line the strict reading refuses; reading goes on only to list every problem.
  const auto refuse = [&](LineFault fault, std::size_t at) {
    if (result.outcome == ConversionOutcome::Incorrect) return;
    result.outcome = ConversionOutcome::Incorrect;
    result.lineNumber = at;
    result.fault = fault;
    result.reason = why;
    result.repairable = true;
  };
  FileLine line;
  while (reader.Next(line)) {
    ++lineNumber;
    // The last line counts without its line end.
    const std::size_t lineEnd = line.last ? 0 : line.endLength;
    consumed += utf16 ? 2 * (Utf16Units(line.text) + lineEnd) : line.text.size() + lineEnd;
    LineFault fault;
    if (subRipReader) {
      fault = subRipReader->Add(line.text, lineNumber, builder, why);
    } else if (mpl2Reader) {
      fault = mpl2Reader->Add(line.text, lineNumber, builder, why);
    } else {
      fault = builder.Add(line.text, line.braces, lineNumber, why);
      if (!frameRateLineSeen && builder.fileFrameRate()) {
        frameRateLineSeen = true;
        if (UseFrameRateLine(*builder.fileFrameRate(), timing, result.timing)) {
          builder.SetTiming(&timing);
        }
      }
    }
    if (fault != LineFault::None) {
      refuse(fault, subRipReader ? subRipReader->faultLine() : lineNumber);
      if (!options.collectProblems) break;
    }
    // consumed ÷ length × 100, exactly 100 once the whole file is in.
    const double percent =
        consumed >= length ? 100.0 : static_cast<double>(consumed) * percentPerByte;
    panel.SetProgress(static_cast<float>(percent));
    if (panel.StopRequested()) {
      result.outcome = ConversionOutcome::Cancelled;
      ByteString().swap(image);
      return;
    }
  }
  if (subRipReader && reader.error() == 0 &&
      (result.outcome != ConversionOutcome::Incorrect || options.collectProblems)) {
    if (const LineFault fault = subRipReader->Finish(builder, why); fault != LineFault::None) {
      refuse(fault, subRipReader->faultLine());
    }
  }
  builder.Finish();
  FinishTiming(timing, result.timing);
  result.cyrillicInLatin = builder.wroteCyrillic();
  result.lettersSimplified = builder.simplifiedLetters();
  result.fileFrameRate = builder.fileFrameRate();
  if (options.repair || options.collectProblems) result.repairs = log.report;
  result.problems = std::move(log.problems);
  if (result.outcome == ConversionOutcome::Incorrect) {
    ByteString().swap(image);  // the partial image is dropped, memory and all
    std::vector<RecordSource>().swap(result.recordSources);
  }
  if (reader.error() != 0) {
    result = Unreadable(reader.error());
  }
}

// Reads the file from its start until its encoding is known, then goes to the first byte after
// its byte order mark. Returns 0 or the errno of a failed read.
int DetectEncoding(int fd, TextEncoding& encoding, std::size_t& byteOrderMark) {
  EncodingDetector detector;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (!detector.Feed(std::string_view(buffer, static_cast<std::size_t>(got))) || got == 0) break;
  }
  encoding = detector.Decide();
  byteOrderMark = detector.byteOrderMarkLength();
  return ::lseek(fd, static_cast<off_t>(byteOrderMark), SEEK_SET) < 0 ? errno : 0;
}

// Tells the layout of a file from its first lines into `layout`. SubRip and MPL2 times need the
// display's frame rate: false, with `result` Incorrect, when it is not given.
bool PickLayout(std::string_view head, const ConversionOptions& options, TitleLayout& layout,
                ConversionResult& result) {
  layout = LooksLikeSubRip(head) ? TitleLayout::SubRip
           : LooksLikeMpl2(head) ? TitleLayout::Mpl2
                                 : TitleLayout::Braces;
  result.timing.layout = layout;
  if (layout == TitleLayout::Braces ||
      (options.displayRate && IsUsableFrameRate(*options.displayRate))) {
    return true;
  }
  const bool subRip = layout == TitleLayout::SubRip;
  result.outcome = ConversionOutcome::Incorrect;
  result.lineNumber = 1;
  result.fault = subRip ? LineFault::SubRipWithoutRate : LineFault::Mpl2WithoutRate;
  result.reason = subRip ? kSubRipNeedsRate : kMpl2NeedsRate;
  return false;
}

// Enough of a file's start to tell its layout.
constexpr std::size_t kHeadLength = 4096;

// The start of a file's text in a form the layout can be told from: UTF-16 decoded to UTF-8, any
// other encoding as it stands (its line ends, digits and arrows are ASCII).
std::string Head(std::string_view bytes, TextEncoding encoding) {
  if (!IsUtf16(encoding)) return std::string(bytes);
  Utf16Reader decoder(bytes, encoding == TextEncoding::Utf16BigEndian);
  std::string text(2 * bytes.size() + 4, '\0');  // a code unit gives at most 3 bytes of UTF-8
  std::size_t filled = 0;
  for (ssize_t got; (got = decoder.Read(text.data() + filled, text.size() - filled)) > 0;) {
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return text;
}

// The length of `encoding`'s byte order mark when `bytes` begin with it, else 0.
std::size_t ByteOrderMarkLength(std::string_view bytes, TextEncoding encoding) {
  const std::string_view mark = ByteOrderMarkOf(encoding);
  return !mark.empty() && bytes.starts_with(mark) ? mark.size() : 0;
}

// Converts `bytes`, in `encoding`, after the first `skipped` (a byte order mark).
ConversionResult ConvertBytesIn(std::string_view bytes, TextEncoding encoding, std::size_t skipped,
                                CharMode mode, const ConversionOptions& options,
                                OperatorPanel& panel) {
  ConversionResult result;
  result.encoding = encoding;
  const std::string_view body = bytes.substr(skipped);
  TitleLayout layout = TitleLayout::Braces;
  if (!PickLayout(Head(body.substr(0, kHeadLength), encoding), options, layout, result)) {
    return result;
  }
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(body, encoding == TextEncoding::Utf16BigEndian);
    LineReader reader(decoder);
    ConvertLines(reader, bytes.size(), skipped, mode, layout, options, panel, result);
  } else {
    LineReader reader(body);
    ConvertLines(reader, bytes.size(), skipped, mode, layout, options, panel, result);
  }
  return result;
}

// Opens the title file for ConvertTitleFile; an Unreadable result when it cannot be read.
ConversionResult OpenTitleFile(const std::string& path, int& fd, std::size_t& length) {
  // O_NONBLOCK keeps open() from waiting for a writer when a named pipe is chosen by mistake.
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Unreadable(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Unreadable(errno);
  if (S_ISDIR(info.st_mode)) return Unreadable(EISDIR);
  if (!S_ISREG(info.st_mode)) {
    // Devices and pipes may never end; only regular files are read.
    ConversionResult result = Unreadable(0);
    result.reason = "not a regular file";
    return result;
  }
  length = static_cast<std::size_t>(info.st_size);
  return {};
}

// Converts the open file `fd`, in `encoding`, from where it stands past `skipped` bytes.
ConversionResult ConvertFileIn(int fd, std::size_t length, TextEncoding encoding,
                               std::size_t skipped, CharMode mode, const ConversionOptions& options,
                               OperatorPanel& panel) {
  ConversionResult result;
  result.encoding = encoding;
  char head[kHeadLength];
  ssize_t headLength;
  do {
    headLength = ::pread(fd, head, sizeof head, static_cast<off_t>(skipped));
  } while (headLength < 0 && errno == EINTR);
  if (headLength < 0) return Unreadable(errno);
  TitleLayout layout = TitleLayout::Braces;
  if (!PickLayout(Head(std::string_view(head, static_cast<std::size_t>(headLength)), encoding),
                  options, layout, result)) {
    return result;
  }
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(fd, encoding == TextEncoding::Utf16BigEndian);
    LineReader reader(decoder);
    ConvertLines(reader, length, skipped, mode, layout, options, panel, result);
  } else {
    LineReader reader(fd);
    ConvertLines(reader, length, skipped, mode, layout, options, panel, result);
  }
  return result;
}

}  // namespace

DisplayClock::Placement DisplayClock::Plan(std::int64_t start, std::int64_t end) const {
  const std::int64_t shownFrom = std::max(start, previousEnd_);
  return {shownFrom - previousEnd_, std::max<std::int64_t>(0, end - shownFrom)};
}

std::array<char, 2> EncodeFrameCount(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

void PadTitleImage(ByteString& image) {
  image.append(kBlockSize - image.size() % kBlockSize, kFillByte);
}

ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options) {
  if (auto other = ConvertOtherTitleBytes(bytes, mode, panel, options)) return std::move(*other);
  if (options.encoding) {
    return ConvertBytesIn(bytes, *options.encoding, ByteOrderMarkLength(bytes, *options.encoding),
                          mode, options, panel);
  }
  const auto mark = FindByteOrderMark(bytes);
  // A byte order mark is dropped; its bytes count with the first line's progress.
  return mark ? ConvertBytesIn(bytes, mark->encoding, mark->length, mode, options, panel)
              : ConvertBytesIn(bytes, DetectTextEncoding(bytes), 0, mode, options, panel);
}

ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options) {
  int fd = -1;
  std::size_t length = 0;
  ConversionResult opened = OpenTitleFile(path, fd, length);
  const FileDescriptor file(fd);
  if (opened.outcome == ConversionOutcome::Unreadable) return opened;
  if (auto other = ConvertOtherTitleFile(path, file.get(), length, mode, panel, options)) {
    return std::move(*other);
  }
  TextEncoding encoding = TextEncoding::Windows1250;
  std::size_t skipped = 0;
  if (options.encoding) {
    // Only the mark's bytes are looked at.
    encoding = *options.encoding;
    char start[3] = {};
    ssize_t got;
    do {
      got = ::pread(file.get(), start, sizeof start, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return Unreadable(errno);
    skipped = ByteOrderMarkLength(std::string_view(start, static_cast<std::size_t>(got)), encoding);
    if (::lseek(file.get(), static_cast<off_t>(skipped), SEEK_SET) < 0) return Unreadable(errno);
  } else if (const int error = DetectEncoding(file.get(), encoding, skipped); error != 0) {
    return Unreadable(error);
  }
  return ConvertFileIn(file.get(), length, encoding, skipped, mode, options, panel);
}

}  // namespace marvek
