#include "convert/sources/film_tracks.h"

#include <algorithm>
#include <cctype>

namespace marvek {
namespace {

bool SameLanguage(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Pictures(const FilmTrack& track) {
  return "the film's titles are pictures, not text: track " + std::to_string(track.number) +
         " is " + track.codec;
}

// The number `choice` holds, or -1 when it is no number.
int TrackNumber(const std::string& choice) {
  if (choice.empty() || choice.size() > 4 ||
      !std::all_of(choice.begin(), choice.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;
  }
  return std::stoi(choice);
}

}  // namespace

std::string FilmTrackLine(const FilmTrack& track) {
  std::string line = std::to_string(track.number) + "\t" +
                     (track.language.empty() ? "-" : track.language) + "\t" +
                     (track.title.empty() ? "-" : track.title) + "\t" + track.codec;
  if (!track.isText) line += "\tpictures";
  if (track.isDefault) line += "\tdefault";
  return line;
}

const FilmTrack* ChooseFilmTrack(const std::vector<FilmTrack>& tracks, const std::string& choice,
                                 std::string& why) {
  const auto text = [](const FilmTrack& t) { return t.isText; };
  const FilmTrack* chosen = nullptr;
  if (choice.empty()) {
    const auto byDefault = std::find_if(tracks.begin(), tracks.end(),
                                        [](const FilmTrack& t) { return t.isText && t.isDefault; });
    const auto first = std::find_if(tracks.begin(), tracks.end(), text);
    if (byDefault != tracks.end()) return &*byDefault;
    if (first != tracks.end()) return &*first;
    why = tracks.empty() ? "the film has no title track" : Pictures(tracks.front());
    return nullptr;
  }
  if (const int number = TrackNumber(choice); number >= 0) {
    if (number < 1 || static_cast<std::size_t>(number) > tracks.size()) {
      why = "the film has no title track " + choice;
      return nullptr;
    }
    chosen = &tracks[static_cast<std::size_t>(number) - 1];
  } else {
    const auto tagged = [&](const FilmTrack& t) { return SameLanguage(t.language, choice); };
    const auto textTagged = [&](const FilmTrack& t) { return t.isText && tagged(t); };
    auto found = std::find_if(tracks.begin(), tracks.end(), textTagged);
    if (found == tracks.end()) found = std::find_if(tracks.begin(), tracks.end(), tagged);
    if (found == tracks.end()) {
      why = "the film has no title track in the language \"" + choice + "\"";
      return nullptr;
    }
    chosen = &*found;
  }
  if (!chosen->isText) {
    why = Pictures(*chosen);
    return nullptr;
  }
  return chosen;
}

}  // namespace marvek
