#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/sources/film_tracks.h"
#include "convert/sources/timed_event.h"
#include "shared/operator_panel.h"

namespace marvek {

// Whether this build reads films and further title formats through FFmpeg's libraries
// (MARVEK_WITH_FFMPEG).
bool FfmpegReadersBuiltIn();

// The reason a file that only FFmpeg reads is refused with in a build without it.
inline constexpr const char* kFfmpegLeftOut =
    "films and this title format are read with FFmpeg, which this build of the program leaves out";

// What reading a source through FFmpeg gave: the source, or why not.
struct FfmpegReading {
  std::optional<TimedSource> source;
  std::string refusal;  // the file is read, but what it holds cannot be converted
  int error = 0;        // the file cannot be read: errno, or -1 when FFmpeg says so in `refusal`
  bool claimed = true;  // false: FFmpeg does not know the file; another reader may have it

  // A reading of what FFmpeg does not know.
  static FfmpegReading Unclaimed() {
    FfmpegReading reading;
    reading.claimed = false;
    return reading;
  }
};

// The title tracks and frame rate of the film at `path`; nullopt with the reason in `why` when it
// is no film FFmpeg can open.
std::optional<FilmTracks> ReadFilmTracks(const std::string& path, std::string& why);

// The titles of a film's track: `track` as ChooseFilmTrack takes it. Only that track's packets are
// read: the container skips every other stream's, and nothing of the video is decoded.
FfmpegReading ReadFilmTitles(const std::string& path, const std::string& track,
                             OperatorPanel& panel);

// The titles of a file already in memory, in UTF-8, in one of the text formats FFmpeg reads
// (SAMI, SubViewer, JACOsub, RealText, ...). Not claimed when FFmpeg finds no title track in it.
// `fileName` helps tell the format.
FfmpegReading ReadFfmpegBytes(std::string_view bytes, const std::string& fileName,
                              const std::string& track, OperatorPanel& panel);

// The titles of a film held in memory, as ReadFilmTitles reads a film file: not claimed unless
// it comes in one of the containers films come in.
FfmpegReading ReadFilmBytes(std::string_view bytes, const std::string& track, OperatorPanel& panel);

}  // namespace marvek
