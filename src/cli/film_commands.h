#pragma once

#include <optional>
#include <string>

#include "convert/timing/frame_rate.h"

namespace marvek::cli {

// --list-tracks: prints the film's title tracks, one a line (number, language, title, codec,
// "pictures" for a track of pictures, "default"). Returns the program's exit code.
int ListTracks(const std::string& film);

// --fps-from: the frame rate of the film's video, exact, with a status line that says where it
// came from; nullopt when the film gives none, with the reason printed.
std::optional<FrameRate> FilmFrameRate(const std::string& film);

}  // namespace marvek::cli
