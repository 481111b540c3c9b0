#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/timing/frame_rate.h"

namespace marvek {

// A title track of a film, as --list-tracks and the window's track dialog show it.
struct FilmTrack {
  int number = 0;          // counted from 1 among the film's title tracks
  int stream = 0;          // the container's stream index
  std::string language;    // as the track is tagged (ISO 639: "eng", "ces"); may be empty
  std::string title;       // may be empty
  std::string codec;       // "subrip", "ass", "mov_text", "hdmv_pgs_subtitle"
  bool isDefault = false;  // tagged as the track to show
  bool isText = false;     // text; else pictures (PGS, VobSub, DVB)
};

// What a film holds for the conversion: its title tracks and the frame rate of its video.
struct FilmTracks {
  std::vector<FilmTrack> tracks;
  std::optional<FrameRate> frameRate;  // exact: 24000/1001 stays 24000/1001
};

// One line of --list-tracks: "2  eng  English (SDH)  subrip  default"; picture tracks say so.
std::string FilmTrackLine(const FilmTrack& track);

// The track that `choice` names: "" for the default text track, else the first text track; a
// number for that track; letters for the first track tagged with that language. Returns the
// track, or nullptr with the reason in `why` ("the film's titles are pictures, not text: ...").
const FilmTrack* ChooseFilmTrack(const std::vector<FilmTrack>& tracks, const std::string& choice,
                                 std::string& why);

}  // namespace marvek
