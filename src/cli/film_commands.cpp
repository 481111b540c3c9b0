#include "cli/film_commands.h"

#include <cstdio>

#include "cli/exit_codes.h"
#include "convert/sources/ffmpeg_source.h"

namespace marvek::cli {

int ListTracks(const std::string& film) {
  std::string why;
  const std::optional<FilmTracks> read = ReadFilmTracks(film, why);
  if (!read) {
    std::fprintf(stderr, "%s cannot be read as a film: %s\n", film.c_str(), why.c_str());
    return exit_code::kTitleFileUnusable;
  }
  if (read->tracks.empty()) std::fprintf(stderr, "%s has no title track.\n", film.c_str());
  for (const FilmTrack& track : read->tracks) std::printf("%s\n", FilmTrackLine(track).c_str());
  return std::fflush(stdout) == 0 ? exit_code::kDone : exit_code::kOutputUnwritable;
}

std::optional<FrameRate> FilmFrameRate(const std::string& film) {
  std::string why;
  const std::optional<FilmTracks> read = ReadFilmTracks(film, why);
  if (!read || !read->frameRate) {
    std::fprintf(stderr, "--fps-from: %s gives no frame rate: %s\n", film.c_str(),
                 read ? "it has no video stream with a frame rate" : why.c_str());
    return std::nullopt;
  }
  std::fprintf(stderr, "Display's frame rate %s taken from %s.\n",
               FrameRateText(*read->frameRate).c_str(), film.c_str());
  return read->frameRate;
}

}  // namespace marvek::cli
