#include "convert/title_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "convert/encoding/encoding_detector.h"
#include "convert/encoding/utf16_reader.h"
#include "convert/layouts/line_reader.h"
#include "convert/line_conversion.h"
#include "convert/sources/dcp_source.h"
#include "convert/sources/dcp_subtitle_reader.h"
#include "convert/sources/other_sources.h"
#include "convert/sources/whole_file.h"
#include "convert/title_readers.h"
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

// The reader of a file from its first lines, into `chosen`. SubRip and MPL2 times need the
// display's frame rate: false, with `result` Incorrect, when it is not given.
bool PickReader(std::string_view head, const ConversionOptions& options, const TitleReader*& chosen,
                ConversionResult& result) {
  chosen = &ChooseReader(head);
  result.timing.layout = chosen->layout;
  if (chosen->needsRate == nullptr ||
      (options.displayRate && IsUsableFrameRate(*options.displayRate))) {
    return true;
  }
  result.outcome = ConversionOutcome::Incorrect;
  result.lineNumber = 1;
  result.fault = chosen->withoutRate;
  result.reason = chosen->needsRate;
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
  const TitleReader* reader = nullptr;
  if (!PickReader(Head(body.substr(0, kHeadLength), encoding), options, reader, result)) {
    return result;
  }
  const FileExtent extent{bytes.size(), skipped};
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(body, encoding == TextEncoding::Utf16BigEndian);
    LineReader lines(decoder);
    ConvertLines(lines, *reader, extent, mode, options, panel, result);
  } else {
    LineReader lines(body);
    ConvertLines(lines, *reader, extent, mode, options, panel, result);
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
  const TitleReader* reader = nullptr;
  if (!PickReader(Head(std::string_view(head, static_cast<std::size_t>(headLength)), encoding),
                  options, reader, result)) {
    return result;
  }
  const FileExtent extent{length, skipped};
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(fd, encoding == TextEncoding::Utf16BigEndian);
    LineReader lines(decoder);
    ConvertLines(lines, *reader, extent, mode, options, panel, result);
  } else {
    LineReader lines(fd);
    ConvertLines(lines, *reader, extent, mode, options, panel, result);
  }
  return result;
}

// A DCP subtitle document is XML and far smaller than this; a larger file is not read whole.
constexpr std::size_t kLargestDcpDocument = 64 * 1024 * 1024;

// A DCP, whose titles are read whole rather than line by line: the folder `path`, or the open
// regular file `fd` (-1: none) when its content opens as DCP subtitle XML, or as the ASSETMAP or
// a CPL of a DCP folder. nullopt for every other title file.
std::optional<ConversionResult> ConvertDcp(const std::string& path, int fd, std::size_t length,
                                           CharMode mode, OperatorPanel& panel,
                                           const ConversionOptions& options) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return ConvertDcpFolder(path, mode, panel, options);
  }
  if (fd < 0) return std::nullopt;
  char head[kHeadLength];
  ssize_t got;
  do {
    got = ::pread(fd, head, sizeof head, 0);
  } while (got < 0 && errno == EINTR);
  const DcpXmlKind kind = got <= 0
                              ? DcpXmlKind::None
                              : DcpXmlKindOf(std::string_view(head, static_cast<std::size_t>(got)));
  if (kind == DcpXmlKind::None) return std::nullopt;
  // The ASSETMAP or a CPL chosen in a file dialog stands for its folder.
  const std::string folder = std::filesystem::path(path).parent_path().string();
  if (kind == DcpXmlKind::AssetMap) return ConvertDcpFolder(folder, mode, panel, options);
  if (kind == DcpXmlKind::Composition) return ConvertDcpFolder(folder, mode, panel, options, path);
  std::string xml;
  if (std::string why = ReadWholeDescriptor(fd, length, kLargestDcpDocument, xml); !why.empty()) {
    ConversionResult result = Unreadable(0);
    result.reason = why;
    return result;
  }
  return ConvertDcpSubtitles(xml, mode, panel, options);
}

}  // namespace

ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options) {
  if (LooksLikeDcpSubtitles(bytes.substr(0, kHeadLength))) {
    return ConvertDcpSubtitles(bytes, mode, panel, options);
  }
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
  // Only a regular file that opened is looked into.
  const int readable = opened.outcome == ConversionOutcome::Unreadable ? -1 : file.get();
  if (auto dcp = ConvertDcp(path, readable, length, mode, panel, options)) return std::move(*dcp);
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
