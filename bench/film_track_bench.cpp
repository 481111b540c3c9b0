#include "film_track_bench.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "convert/sources/ffmpeg_source.h"
#include "convert/title_image.h"
#include "measurements.h"

namespace marvek::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFilmSeconds = 2 * 60 * 60;
constexpr int kFilmTitles = 1'500;

// "01:02:03,456"
std::string SubRipTime(long long ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3'600'000, ms / 60'000 % 60,
                ms / 1000 % 60, ms % 1000);
  return text;
}

// The two containers films come in, each with its own title codec.
struct Container {
  const char* extension;  // ".mkv"
  const char* titleCodec;
  const char* muxerOptions;  // a two-hour MOV needs a finer time base than its default
  const char* name;
};
constexpr Container kContainers[] = {
    {".mkv", "srt", "", "Film's title track / cat of the film, MKV"},
    {".mov", "mov_text", " -video_track_timescale 24000",
     "Film's title track / cat of the film, MOV (MP4)"},
};

// A film of two hours at 24000/1001 frames a second with one text track of 1,500 titles. Its
// video is raw 64×64 grey frames: 4 KB a frame, 170,000 frames, some 700 MB, so that the packets
// a reader must step over are as many as a real film's.
std::string MakeFilm(const std::filesystem::path& folder, const Container& container) {
  const std::filesystem::path film = folder / (std::string("film-2h") + container.extension);
  if (std::filesystem::exists(film)) return film.string();
  std::filesystem::create_directories(folder);
  const std::filesystem::path titles = folder / "film-2h.srt";
  {
    std::ofstream out(titles);
    const long long step = kFilmSeconds * 1000LL / kFilmTitles;
    for (int i = 0; i < kFilmTitles; ++i) {
      out << i + 1 << "\n"
          << SubRipTime(i * step) << " --> " << SubRipTime(i * step + step / 2) << "\nTitle "
          << i + 1 << "\n\n";
    }
  }
  const std::string making =
      (folder / (std::string("film-2h.making") + container.extension)).string();
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i color=size=64x64:rate=24000/1001:duration=" +
      std::to_string(kFilmSeconds) + " -i " + titles.string() +
      " -map 0 -map 1 -pix_fmt gray -c:v rawvideo -c:s " + container.titleCodec +
      container.muxerOptions + " " + making;
  if (std::system(command.c_str()) != 0) return {};
  std::filesystem::rename(making, film);
  return film.string();
}

double Milliseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Reading the track of the film in `container` against cat, turn about.
Row FilmTrackRow(const std::string& folder, int runs, const Container& container) {
  const char* name = container.name;
  const std::string film = MakeFilm(folder, container);
  if (film.empty()) return {name, 0, "x", 0, true, "ffmpeg could not make the film"};
  const std::string cat = "cat '" + film + "' > /dev/null";
  QuietPanel quiet;
  ConversionOptions options;
  options.displayRate = FrameRate{24000, 1001};
  std::vector<double> read, whole;
  std::size_t bytes = 0;
  // Brings the film into the page cache for both.
  if (std::system(cat.c_str()) != 0) return {name, 0, "x", 0, true, "cat failed"};
  // Turn about, so that both meet the same conditions on a machine shared with others.
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    const ConversionResult result = ConvertTitleFile(film, CharMode::DeviceCodes, quiet, options);
    read.push_back(Milliseconds(start));
    bytes = result.image.size();
    start = Clock::now();
    if (std::system(cat.c_str()) != 0) return {name, 0, "x", 0, true, "cat failed"};
    whole.push_back(Milliseconds(start));
  }
  const double readMs = Median(read), catMs = Median(whole);
  const auto size = std::filesystem::file_size(film) / 1'000'000;
  return {name,
          readMs / catMs,
          "x",
          1.2,
          true,
          std::to_string(size) + " MB, 2 h; " + std::to_string(readMs).substr(0, 6) + " ms / " +
              std::to_string(catMs).substr(0, 6) + " ms, median of " + std::to_string(runs) +
              (bytes > 0 ? "" : "; NO TITLES READ")};
}

}  // namespace

std::vector<Row> FilmTrackRows(const std::string& folder, int runs) {
  const char* name = "Film's title track / cat of the film";
  if (!FfmpegReadersBuiltIn()) return {{name, 0, "x", 0, true, "built without FFmpeg"}};
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
    return {{name, 0, "x", 0, true, "no ffmpeg program to make the film"}};
  }
  std::vector<Row> rows;
  for (const Container& container : kContainers)
    rows.push_back(FilmTrackRow(folder, runs, container));
  return rows;
}

}  // namespace marvek::bench
