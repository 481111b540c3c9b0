#include "convert/title_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "convert/line_reader.h"
#include "convert/record_builder.h"
#include "convert/subrip_reader.h"
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
// first line (a byte order mark). With `subRip` the lines are read as a SubRip file at that rate.
void ConvertLines(LineReader& reader, std::size_t length, std::size_t consumed, CharMode mode,
                  const std::optional<FrameRate>& subRip, OperatorPanel& panel,
                  ConversionResult& result) {
  ByteString& image = result.image;
  // Records are shorter than their lines unless many đ/Đ expand, so the file's length plus the
  // fill is usually the only allocation.
  RecordBuilder builder(mode, result.encoding == TextEncoding::Utf8, image,
                        length + kImageBlockSize);
  std::string why;
  std::size_t lineNumber = 0;
  const double percentPerByte = 100.0 / static_cast<double>(length);
  std::optional<SubRipReader> subRipReader;
  if (subRip) subRipReader.emplace(*subRip);
  const auto reject = [&](LineFault fault, std::size_t at) {
    result.outcome = ConversionOutcome::Incorrect;
    ByteString().swap(image);  // the partial image is dropped, memory and all
    result.lineNumber = at;
    result.fault = fault;
    result.reason = "Line " + std::to_string(at) + ": " + why;
  };
  FileLine line;
  while (reader.Next(line)) {
    ++lineNumber;
    // The last line counts without its line end.
    consumed += line.text.size() + (line.last ? 0 : line.endLength);
    const LineFault fault = subRipReader ? subRipReader->Add(line.text, lineNumber, builder, why)
                                         : builder.Add(line.text, line.braces, why);
    if (fault != LineFault::None) {
      reject(fault, subRipReader ? subRipReader->faultLine() : lineNumber);
      return;
    }
    // consumed ÷ length × 100, exactly 100 once the whole file is in.
    const double percent =
        consumed >= length ? 100.0 : static_cast<double>(consumed) * percentPerByte;
    panel.SetProgress(static_cast<float>(percent));
  }
  if (subRipReader && reader.error() == 0) {
    if (const LineFault fault = subRipReader->Finish(builder, why); fault != LineFault::None) {
      reject(fault, subRipReader->faultLine());
      return;
    }
  }
  builder.Finish();
  if (reader.error() != 0) {
    result = Unreadable(reader.error());
  }
}

// Reads the file from its start until its encoding is known, then goes back to the start.
// Returns 0 or the errno of a failed read.
int DetectEncoding(int fd, TextEncoding& encoding, bool& byteOrderMark) {
  Utf8Detector detector;
  char buffer[64 * 1024];
  bool first = true;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    const std::string_view piece(buffer, static_cast<std::size_t>(got));
    if (first && HasUtf8ByteOrderMark(piece)) {
      byteOrderMark = true;
      break;
    }
    first = false;
    if (got == 0 || !detector.Feed(piece)) break;
  }
  encoding =
      byteOrderMark || detector.LooksLikeUtf8() ? TextEncoding::Utf8 : TextEncoding::Windows1250;
  const off_t start = byteOrderMark ? static_cast<off_t>(kUtf8ByteOrderMark.size()) : 0;
  return ::lseek(fd, start, SEEK_SET) < 0 ? errno : 0;
}

// Whether the file is read as SubRip: the layout is told from its first lines, and a SubRip file
// needs a frame rate. False, with `result` Incorrect, when it is SubRip and there is no rate.
bool PickLayout(std::string_view head, const ConversionOptions& options,
                std::optional<FrameRate>& subRip, ConversionResult& result) {
  if (!LooksLikeSubRip(head)) return true;
  if (!options.subRipRate) {
    result.outcome = ConversionOutcome::Incorrect;
    result.lineNumber = 1;
    result.fault = LineFault::SubRipWithoutRate;
    result.reason = std::string("Line 1: ") + kSubRipNeedsRate;
    return false;
  }
  subRip = options.subRipRate;
  return true;
}

// Enough of a file's start to tell its layout.
constexpr std::size_t kHeadLength = 4096;

}  // namespace

DisplayClock::Placement DisplayClock::Place(std::int64_t start, std::int64_t end) {
  const std::int64_t shownFrom = std::max(start, previousEnd_);
  const Placement placement{shownFrom - previousEnd_, std::max<std::int64_t>(0, end - shownFrom)};
  previousEnd_ = shownFrom + placement.duration;
  return placement;
}

std::array<char, 2> EncodeFrameCount(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

void PadTitleImage(ByteString& image) {
  image.append(kImageBlockSize - image.size() % kImageBlockSize, kFillByte);
}

ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel) {
  return ConvertTitleBytesWith(bytes, mode, {}, panel);
}

ConversionResult ConvertTitleBytesWith(std::string_view bytes, CharMode mode,
                                       const ConversionOptions& options, OperatorPanel& panel) {
  ConversionResult result;
  const std::size_t length = bytes.size();
  std::size_t skipped = 0;
  if (HasUtf8ByteOrderMark(bytes)) {
    result.encoding = TextEncoding::Utf8;
    skipped = kUtf8ByteOrderMark.size();  // dropped; its bytes count with the first line's progress
  } else if (LooksLikeUtf8(bytes)) {
    result.encoding = TextEncoding::Utf8;
  }
  std::optional<FrameRate> subRip;
  if (!PickLayout(bytes.substr(skipped, kHeadLength), options, subRip, result)) return result;
  LineReader reader(bytes.substr(skipped));
  ConvertLines(reader, length, skipped, mode, subRip, panel, result);
  return result;
}

ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel) {
  return ConvertTitleFileWith(path, mode, {}, panel);
}

ConversionResult ConvertTitleFileWith(const std::string& path, CharMode mode,
                                      const ConversionOptions& options, OperatorPanel& panel) {
  // O_NONBLOCK keeps open() from waiting for a writer when a named pipe is chosen by mistake.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return Unreadable(errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return Unreadable(errno);
  if (S_ISDIR(info.st_mode)) return Unreadable(EISDIR);
  if (!S_ISREG(info.st_mode)) {
    // Devices and pipes may never end; only regular files are read.
    ConversionResult result = Unreadable(0);
    result.reason = "not a regular file";
    return result;
  }

  ConversionResult result;
  bool byteOrderMark = false;
  if (const int error = DetectEncoding(file.get(), result.encoding, byteOrderMark); error != 0) {
    return Unreadable(error);
  }
  char head[kHeadLength];
  const ssize_t headLength =
      ::pread(file.get(), head, sizeof head,
              byteOrderMark ? static_cast<off_t>(kUtf8ByteOrderMark.size()) : 0);
  if (headLength < 0) return Unreadable(errno);
  std::optional<FrameRate> subRip;
  if (!PickLayout(std::string_view(head, static_cast<std::size_t>(headLength)), options, subRip,
                  result)) {
    return result;
  }
  LineReader reader(file.get());
  ConvertLines(reader, static_cast<std::size_t>(info.st_size),
               byteOrderMark ? kUtf8ByteOrderMark.size() : 0, mode, subRip, panel, result);
  return result;
}

}  // namespace marvek
