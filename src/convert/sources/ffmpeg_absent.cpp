#include "convert/sources/ffmpeg_source.h"

// The build without FFmpeg: films and the formats only FFmpeg reads are refused, saying why.
namespace marvek {

bool FfmpegReadersBuiltIn() {
  return false;
}

std::optional<FilmTracks> ReadFilmTracks(const std::string&, std::string& why) {
  why = kFfmpegLeftOut;
  return std::nullopt;
}

FfmpegReading ReadFilmTitles(const std::string&, const std::string&, OperatorPanel&) {
  FfmpegReading reading;
  reading.refusal = kFfmpegLeftOut;
  return reading;
}

FfmpegReading ReadFfmpegBytes(std::string_view, const std::string&, const std::string&,
                              OperatorPanel&) {
  return FfmpegReading::Unclaimed();
}

FfmpegReading ReadFilmBytes(std::string_view, const std::string&, OperatorPanel&) {
  return FfmpegReading::Unclaimed();
}

}  // namespace marvek
