#include "convert/sources/other_sources.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "convert/encoding/encoding_detector.h"
#include "convert/encoding/utf16_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/sources/ass_reader.h"
#include "convert/sources/event_titles.h"
#include "convert/sources/ffmpeg_source.h"
#include "convert/sources/webvtt_reader.h"
#include "shared/system_reason.h"

namespace marvek {
namespace {

constexpr std::size_t kHeadLength = 4096;
// Text title files are small; a larger file that is no film is left to the line readers, which
// read it in pieces.
constexpr std::size_t kLargestTextSource = 64 * 1024 * 1024;

// Films hold bytes of zero near their start, text files never do; UTF-16 text has a mark.
bool LooksLikeFilm(std::string_view head) {
  return head.find('\0') != std::string_view::npos && !FindByteOrderMark(head);
}

template <std::size_t N>
bool HasExtension(const std::string& path, const std::array<std::string_view, N>& extensions) {
  std::string lower = path.substr(path.size() > 6 ? path.size() - 6 : 0);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::any_of(extensions.begin(), extensions.end(),
                     [&](std::string_view ext) { return lower.ends_with(ext); });
}

bool HasFilmExtension(const std::string& path) {
  static constexpr std::array<std::string_view, 6> kFilms{".mkv",  ".mp4", ".mov",
                                                          ".webm", ".avi", ".ts"};
  return HasExtension(path, kFilms);
}

// The text formats that only FFmpeg reads, by the names their files usually have.
bool HasFfmpegTextExtension(const std::string& path) {
  static constexpr std::array<std::string_view, 9> kFormats{
      ".smi", ".sami", ".jss", ".rt", ".pjs", ".vpl", ".aqt", ".mpsub", ".ttml"};
  return HasExtension(path, kFormats);
}

// Whether our line readers take the file, told from its first bytes as UTF-8 or ASCII.
bool OursByHead(std::string_view head) {
  const std::size_t first = head.find_first_not_of(" \t\r\n");
  return LooksLikeSubRip(head) || LooksLikeMpl2(head) ||
         (first != std::string_view::npos && head[first] == '{');
}

ConversionResult Refused(std::string reason, TextEncoding encoding) {
  ConversionResult result;
  result.outcome = ConversionOutcome::Incorrect;
  result.fault = LineFault::NoTitle;
  result.reason = std::move(reason);
  result.encoding = encoding;
  return result;
}

// Turns what FFmpeg read into the conversion's result.
std::optional<ConversionResult> FromReading(FfmpegReading reading, TextEncoding encoding,
                                            CharMode mode, OperatorPanel& panel,
                                            const ConversionOptions& options) {
  if (!reading.claimed) return std::nullopt;
  ConversionResult result;
  result.encoding = encoding;
  if (reading.error == ECANCELED) {
    result.outcome = ConversionOutcome::Cancelled;
  } else if (reading.error != 0) {
    result.outcome = ConversionOutcome::Unreadable;
    result.reason = reading.error > 0 ? SystemReason(reading.error) : reading.refusal;
  } else if (!reading.source) {
    result = Refused(reading.refusal, encoding);
  } else {
    result = ConvertTimedSource(*reading.source, mode, panel, options);
    result.encoding = encoding;
  }
  return result;
}

// A text source in UTF-8: ASS, WebVTT, or whatever FFmpeg's probe finds.
std::optional<ConversionResult> ConvertText(std::string_view text, TextEncoding encoding,
                                            const std::string& name, CharMode mode,
                                            OperatorPanel& panel,
                                            const ConversionOptions& options) {
  const std::string utf8 = TextAsUtf8(text, encoding);
  std::optional<TimedSource> source;
  if (LooksLikeAss(utf8)) source = ReadAss(utf8);
  if (LooksLikeWebVtt(utf8)) source = ReadWebVtt(utf8);
  if (source) {
    ConversionResult result = ConvertTimedSource(*source, mode, panel, options);
    result.encoding = encoding;
    return result;
  }
  return FromReading(ReadFfmpegBytes(utf8, name, options.track, panel), encoding, mode, panel,
                     options);
}

std::string_view WithoutMark(std::string_view bytes, TextEncoding encoding) {
  const std::string_view mark = ByteOrderMarkOf(encoding);
  return !mark.empty() && bytes.starts_with(mark) ? bytes.substr(mark.size()) : bytes;
}

bool ReadWhole(int fd, std::size_t length, std::string& bytes) {
  bytes.resize(length);
  std::size_t filled = 0;
  while (filled < length) {
    const ssize_t got =
        ::pread(fd, bytes.data() + filled, length - filled, static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    filled += static_cast<std::size_t>(got);
  }
  return true;
}

std::optional<ConversionResult> ConvertFilm(const std::string& path, CharMode mode,
                                            OperatorPanel& panel,
                                            const ConversionOptions& options) {
  if (!FfmpegReadersBuiltIn()) {
    if (!HasFilmExtension(path)) return std::nullopt;
    return Refused(kFfmpegLeftOut, TextEncoding::Windows1250);
  }
  FfmpegReading reading = ReadFilmTitles(path, options.track, panel);
  // A binary file FFmpeg cannot open is refused by the line readers as it always was.
  if (reading.error == -1 && !HasFilmExtension(path)) return std::nullopt;
  return FromReading(std::move(reading), TextEncoding::Windows1250, mode, panel, options);
}

TextEncoding EncodingOf(std::string_view bytes, const ConversionOptions& options) {
  if (options.encoding) return *options.encoding;
  const auto mark = FindByteOrderMark(bytes);
  return mark ? mark->encoding : DetectTextEncoding(bytes);
}

}  // namespace

std::string TextAsUtf8(std::string_view bytes, TextEncoding encoding) {
  bytes = WithoutMark(bytes, encoding);
  if (encoding == TextEncoding::Utf8) return std::string(bytes);
  std::string text;
  if (IsUtf16(encoding)) {
    Utf16Reader decoder(bytes, encoding == TextEncoding::Utf16BigEndian);
    text.resize(2 * bytes.size() + 4);  // a code unit gives at most 3 bytes of UTF-8
    std::size_t filled = 0;
    for (ssize_t got; (got = decoder.Read(text.data() + filled, text.size() - filled)) > 0;) {
      filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    return text;
  }
  char32_t (*table)(unsigned char) = encoding == TextEncoding::Iso8859_2     ? Iso8859_2ToUnicode
                                     : encoding == TextEncoding::Windows1251 ? Windows1251ToUnicode
                                     : encoding == TextEncoding::Windows1252 ? Windows1252ToUnicode
                                                                             : Windows1250ToUnicode;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    const char32_t c = b < 0x80 ? b : table(b);
    char utf8[4];
    text.append(utf8, EncodeUtf8(c == 0 ? U'?' : c, utf8));
  }
  return text;
}

std::optional<ConversionResult> ConvertOtherTitleFile(const std::string& path, int fd,
                                                      std::size_t length, CharMode mode,
                                                      OperatorPanel& panel,
                                                      const ConversionOptions& options) {
  std::string head(std::min(length, kHeadLength), '\0');
  if (!ReadWhole(fd, head.size(), head)) return std::nullopt;
  // Our line readers first: a brace file with a stray byte of zero stays theirs.
  if (OursByHead(TextAsUtf8(head, EncodingOf(head, options)))) return std::nullopt;
  if (LooksLikeFilm(head)) return ConvertFilm(path, mode, panel, options);
  if (length > kLargestTextSource) return std::nullopt;
  if (!FfmpegReadersBuiltIn() && HasFfmpegTextExtension(path)) {
    return Refused(kFfmpegLeftOut, EncodingOf(head, options));
  }
  std::string bytes;
  if (!ReadWhole(fd, length, bytes)) return std::nullopt;  // the line readers say why
  const std::size_t slash = path.find_last_of('/');
  return ConvertText(bytes, EncodingOf(bytes, options),
                     slash == std::string::npos ? path : path.substr(slash + 1), mode, panel,
                     options);
}

std::optional<ConversionResult> ConvertOtherTitleBytes(std::string_view bytes, CharMode mode,
                                                       OperatorPanel& panel,
                                                       const ConversionOptions& options) {
  const std::string_view head = bytes.substr(0, kHeadLength);
  const TextEncoding encoding = EncodingOf(bytes, options);
  if (OursByHead(TextAsUtf8(head, encoding))) return std::nullopt;
  if (LooksLikeFilm(head)) {
    return FromReading(ReadFfmpegBytes(bytes, "", options.track, panel), TextEncoding::Windows1250,
                       mode, panel, options);
  }
  return ConvertText(bytes, encoding, "", mode, panel, options);
}

}  // namespace marvek
