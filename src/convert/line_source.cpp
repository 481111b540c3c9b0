#include "convert/line_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "convert/encoding/encoding_detector.h"
#include "convert/encoding/utf16_reader.h"
#include "convert/layouts/line_reader.h"
#include "convert/line_conversion.h"
#include "convert/sources/mapped_file.h"
#include "convert/sources/text_source.h"
#include "shared/system_reason.h"

namespace marvek {

ConversionResult Unreadable(int error) {
  return UnreadableBecause(SystemReason(error));
}

namespace {

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

// SubRip and MPL2 times need the display's frame rate: false, with `result` Incorrect, when
// `reader` is of such a layout and the rate is not given.
bool HasRateFor(const TitleReader& reader, const ConversionOptions& options,
                ConversionResult& result) {
  result.timing.layout = reader.layout;
  if (reader.needsRate == nullptr ||
      (options.displayRate && IsUsableFrameRate(*options.displayRate))) {
    return true;
  }
  result.outcome = ConversionOutcome::Incorrect;
  result.lineNumber = 1;
  result.fault = reader.withoutRate;
  result.reason = reader.needsRate;
  return false;
}

// The start of a file's text in a form the layout can be told from: UTF-16 decoded to UTF-8, any
// other encoding as it stands.
std::string Head(std::string_view bytes, TextEncoding encoding) {
  return IsUtf16(encoding) ? Utf16AsUtf8(bytes, encoding) : std::string(bytes);
}

// The length of `encoding`'s byte order mark when `bytes` begin with it, else 0.
std::size_t ByteOrderMarkLength(std::string_view bytes, TextEncoding encoding) {
  const std::string_view mark = ByteOrderMarkOf(encoding);
  return !mark.empty() && bytes.starts_with(mark) ? mark.size() : 0;
}

// The block a file of `length` bytes is read in: the whole file when it is small, so that a short
// file does not cost a buffer of the largest block, which the system maps afresh every time.
std::size_t BlockFor(std::size_t length) {
  return std::clamp<std::size_t>(length, 1, LineReader::kBlock);
}

// Converts `bytes`, in `encoding`, after the first `skipped` (a byte order mark).
ConversionResult ConvertBytesIn(std::string_view bytes, TextEncoding encoding, std::size_t skipped,
                                const TitleReader& reader, CharMode mode,
                                const ConversionOptions& options, OperatorPanel& panel) {
  ConversionResult result;
  result.encoding = encoding;
  if (!HasRateFor(reader, options, result)) return result;
  const std::string_view body = bytes.substr(skipped);
  const FileExtent extent{bytes.size(), skipped};
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(body, encoding == TextEncoding::Utf16BigEndian);
    LineReader lines(decoder, BlockFor(body.size()));
    ConvertLines(lines, reader, extent, mode, options, panel, result);
  } else {
    LineReader lines(body);
    ConvertLines(lines, reader, extent, mode, options, panel, result);
  }
  return result;
}

// Converts the open file `fd`, in `encoding`, from where it stands past `skipped` bytes.
ConversionResult ConvertFileIn(int fd, std::size_t length, TextEncoding encoding,
                               std::size_t skipped, const TitleReader& reader, CharMode mode,
                               const ConversionOptions& options, OperatorPanel& panel) {
  ConversionResult result;
  result.encoding = encoding;
  if (!HasRateFor(reader, options, result)) return result;
  const FileExtent extent{length, skipped};
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(fd, encoding == TextEncoding::Utf16BigEndian);
    LineReader lines(decoder, BlockFor(length));
    ConvertLines(lines, reader, extent, mode, options, panel, result);
  } else {
    LineReader lines(fd, BlockFor(length));
    ConvertLines(lines, reader, extent, mode, options, panel, result);
  }
  return result;
}

ConversionResult ConvertBytesLines(std::string_view bytes, const TitleReader& reader, CharMode mode,
                                   OperatorPanel& panel, const ConversionOptions& options) {
  if (options.encoding) {
    return ConvertBytesIn(bytes, *options.encoding, ByteOrderMarkLength(bytes, *options.encoding),
                          reader, mode, options, panel);
  }
  const auto mark = FindByteOrderMark(bytes);
  // A byte order mark is dropped; its bytes count with the first line's progress.
  return mark ? ConvertBytesIn(bytes, mark->encoding, mark->length, reader, mode, options, panel)
              : ConvertBytesIn(bytes, DetectTextEncoding(bytes), 0, reader, mode, options, panel);
}

ConversionResult ConvertFileLines(int fd, std::size_t length, const TitleReader& reader,
                                  CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options) {
  TextEncoding encoding = TextEncoding::Windows1250;
  std::size_t skipped = 0;
  if (options.encoding) {
    // Only the mark's bytes are looked at.
    encoding = *options.encoding;
    char start[3] = {};
    ssize_t got;
    do {
      got = ::pread(fd, start, sizeof start, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return Unreadable(errno);
    skipped = ByteOrderMarkLength(std::string_view(start, static_cast<std::size_t>(got)), encoding);
    if (::lseek(fd, static_cast<off_t>(skipped), SEEK_SET) < 0) return Unreadable(errno);
  } else if (const int error = DetectEncoding(fd, encoding, skipped); error != 0) {
    return Unreadable(error);
  }
  return ConvertFileIn(fd, length, encoding, skipped, reader, mode, options, panel);
}

}  // namespace

std::string LineText(std::string_view head, const ConversionOptions& options) {
  // Only whether the text is UTF-16 matters here: every other encoding stands as it is.
  TextEncoding encoding = TextEncoding::Windows1250;
  std::size_t skipped = 0;
  if (options.encoding) {
    encoding = *options.encoding;
    skipped = ByteOrderMarkLength(head, encoding);
  } else if (const auto mark = FindByteOrderMark(head)) {
    encoding = mark->encoding;
    skipped = mark->length;
  }
  return Head(head.substr(skipped, kTitleHeadLength), encoding);
}

ConversionResult ConvertTitleLines(const TitleInput& input, const TitleReader& reader,
                                   CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options) {
  if (input.inMemory()) return ConvertBytesLines(input.bytes, reader, mode, panel, options);
  // A mapped file is read in place; one that cannot be mapped is read a block at a time.
  const auto mapped = MappedFile::Map(input.fd, input.length);
  ConversionResult result =
      mapped ? ConvertBytesLines(mapped->bytes(), reader, mode, panel, options)
             : ConvertFileLines(input.fd, input.length, reader, mode, panel, options);
  // A page the system could not give: the file was cut meanwhile, which the entrance tells, or
  // the disk failed.
  if (mapped && mapped->faulted()) return Unreadable(EIO);
  return result;
}

}  // namespace marvek
