#include "convert/sources/ffmpeg_titles.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "convert/sources/event_titles.h"
#include "convert/sources/ffmpeg_source.h"
#include "convert/sources/text_source.h"
#include "shared/system_reason.h"

namespace marvek {
namespace {

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

std::optional<ConversionResult> ConvertFilm(const TitleInput& input, CharMode mode,
                                            OperatorPanel& panel,
                                            const ConversionOptions& options) {
  if (input.inMemory()) {
    return FromReading(ReadFilmBytes(input.bytes, options.track, panel), TextEncoding::Windows1250,
                       mode, panel, options);
  }
  if (!FfmpegReadersBuiltIn()) {
    if (!HasFilmExtension(input.path)) return std::nullopt;
    return Refused(kFfmpegLeftOut, TextEncoding::Windows1250);
  }
  FfmpegReading reading = ReadFilmTitles(input.path, options.track, panel);
  // A binary file FFmpeg cannot open is refused by the line readers as it always was.
  if (reading.error == -1 && !HasFilmExtension(input.path)) return std::nullopt;
  return FromReading(std::move(reading), TextEncoding::Windows1250, mode, panel, options);
}

}  // namespace

std::optional<ConversionResult> ConvertThroughFfmpeg(const TitleInput& input, CharMode mode,
                                                     OperatorPanel& panel,
                                                     const ConversionOptions& options) {
  if (input.folder) return std::nullopt;
  if (LooksLikeFilm(input.head)) return ConvertFilm(input, mode, panel, options);
  if (!input.inMemory()) {
    if (input.length > kLargestTextSource) return std::nullopt;
    if (!FfmpegReadersBuiltIn() && HasFfmpegTextExtension(input.path)) {
      return Refused(kFfmpegLeftOut, EncodingOf(input.head, options));
    }
  }
  std::string storage;
  std::string why;
  const auto bytes = WholeInput(input, kLargestTextSource, storage, why);
  if (!bytes) return std::nullopt;  // the line readers say why
  const TextEncoding encoding = EncodingOf(*bytes, options);
  const std::size_t slash = input.path.find_last_of('/');
  const std::string name = slash == std::string::npos ? input.path : input.path.substr(slash + 1);
  return FromReading(ReadFfmpegBytes(TextAsUtf8(*bytes, encoding), name, options.track, panel),
                     encoding, mode, panel, options);
}

}  // namespace marvek
