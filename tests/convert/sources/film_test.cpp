// Films made at test time with the ffmpeg program: their title tracks listed and chosen, their
// frame rate taken, picture titles refused. Skipped where the program or the readers are absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "command/convert_upload.h"
#include "convert/sources/ffmpeg_source.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

class Films : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!FfmpegReadersBuiltIn() || std::system("ffmpeg -version >/dev/null 2>&1") != 0) return;
    dir_ = new testing::TempDir;
    const std::string english =
        dir_->Write("en.srt",
                    "1\n00:00:00,500 --> 00:00:01,500\nHello\n\n2\n00:00:02,000 --> "
                    "00:00:03,000\n<i>Two</i>\nlines\n");
    const std::string czech = dir_->Write("cs.srt", "1\n00:00:00,500 --> 00:00:01,500\nAhoj\n");
    // PGS, the titles of a Blu-ray: one display set of a composition and its end.
    const std::string pictures = dir_->Write(
        "p.sup", std::string("PG\0\0\xAF\xC8\0\0\0\0\x16\0\x0B\0\x20\0\x20\x10\0\0\x80\0\0\0"
                             "PG\0\0\xAF\xC8\0\0\0\0\x80\0\0",
                             37));
    const std::string video = " -f lavfi -i color=size=32x32:duration=4:rate=";
    const std::string quiet = "ffmpeg -v error -y";
    made_ = Run(quiet + video + "24000/1001 -i " + english + " -i " + czech +
                " -map 0 -map 1 -map 2 -c:v mpeg4 -c:s srt -metadata:s:s:0 language=eng"
                " -metadata:s:s:1 language=ces -metadata:s:s:1 title=Czech -disposition:s:0 0"
                " -disposition:s:1 default " +
                Film("ntsc.mkv")) &&
            Run(quiet + video + "25 -i " + english + " -i " + czech +
                " -map 0 -map 1 -map 2 -c:v mpeg4 -c:s mov_text -metadata:s:s:0 language=eng"
                " -metadata:s:s:1 language=ces -disposition:s:0 default -disposition:s:1 0 " +
                Film("pal.mp4")) &&
            Run(quiet + video + "25 -i " + pictures + " -map 0 -map 1 -c:v mpeg4 -c:s copy " +
                Film("pictures.mkv"));
  }
  static void TearDownTestSuite() { delete dir_; }
  void SetUp() override {
    if (!made_) GTEST_SKIP() << "no ffmpeg program, or no FFmpeg readers in this build";
  }

  static bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }
  static std::string Film(const char* name) { return (dir_->path() / name).string(); }

  static ConversionResult Convert(const char* film, const std::string& track,
                                  std::optional<FrameRate> rate = std::nullopt) {
    testing::RecordingPanel panel;
    ConversionOptions options;
    options.track = track;
    options.displayRate = rate;
    return ConvertTitleFile(Film(film), CharMode::PlainLetters, panel, options);
  }
  static std::vector<std::string> Shown(const ConversionResult& result) {
    ByteString image = result.image;
    PadTitleImage(image);
    std::vector<std::string> shown;
    for (const DecodedTitle& t : DecodeTitleImage(image).titles) {
      shown.push_back("{" + std::to_string(t.start) + "}{" + std::to_string(t.end) + "}" + t.utf8);
    }
    return shown;
  }

  static inline testing::TempDir* dir_ = nullptr;
  static inline bool made_ = false;
};

TEST_F(Films, ListTheirTitleTracksAndVideoRate) {
  std::string why;
  const std::optional<FilmTracks> ntsc = ReadFilmTracks(Film("ntsc.mkv"), why);
  ASSERT_TRUE(ntsc) << why;
  std::vector<std::string> lines;
  for (const FilmTrack& track : ntsc->tracks) lines.push_back(FilmTrackLine(track));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"1\teng\t-\tsubrip", "2\tces\tCzech\tsubrip\tdefault"}));
  ASSERT_TRUE(ntsc->frameRate);
  EXPECT_EQ(ntsc->frameRate->numerator, 24000);
  EXPECT_EQ(ntsc->frameRate->denominator, 1001);
}

TEST_F(Films, ConvertTheChosenTrackAtTheFilmsRate) {
  const struct {
    const char* film;
    std::string track;
    std::vector<std::string> shown;
  } cases[] = {
      // 0.5 s is frame 11.99 at 24000/1001, 12.5 at 25: the nearest, halves up.
      {"ntsc.mkv", "", {"{12}{36}Ahoj"}},
      {"ntsc.mkv", "eng", {"{12}{36}Hello", "{48}{72}Two|lines"}},
      {"ntsc.mkv", "1", {"{12}{36}Hello", "{48}{72}Two|lines"}},
      {"pal.mp4", "", {"{13}{38}Hello", "{50}{75}Two|lines"}},
      {"pal.mp4", "CES", {"{13}{38}Ahoj"}},
  };
  for (const auto& c : cases) {
    const ConversionResult result = Convert(c.film, c.track);
    ASSERT_EQ(result.outcome, ConversionOutcome::Converted) << c.film << c.track << result.reason;
    EXPECT_EQ(Shown(result), c.shown) << c.film << " track " << c.track;
    const std::vector<std::string> lines = ConvertedLines(result, {});
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        std::string("Display's frame rate ") +
                            (c.film[0] == 'n' ? "23.976" : "25") + " taken from the film."),
              lines.end());
  }
  // A film held in memory (piped in) is read as the same film from its file.
  for (const char* film : {"ntsc.mkv", "pal.mp4"}) {
    std::ifstream in(Film(film), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    testing::RecordingPanel panel;
    const ConversionResult fromMemory =
        ConvertTitleBytes(bytes, CharMode::PlainLetters, panel, {.track = "eng"});
    EXPECT_EQ(Shown(fromMemory), Shown(Convert(film, "eng"))) << film;
  }
  // The operator's rate wins over the film's.
  const ConversionResult at25 = Convert("ntsc.mkv", "", FrameRate{25, 1});
  EXPECT_EQ(Shown(at25), std::vector<std::string>{"{13}{38}Ahoj"});
  EXPECT_EQ(at25.rateFrom, "");
}

TEST_F(Films, RefuseTracksTheyCannotConvert) {
  const struct {
    const char* film;
    std::string track;
    std::string reason;
  } cases[] = {
      {"pictures.mkv", "",
       "the film's titles are pictures, not text: track 1 is hdmv_pgs_subtitle"},
      {"ntsc.mkv", "3", "the film has no title track 3"},
      {"ntsc.mkv", "fra", "the film has no title track in the language \"fra\""},
  };
  for (const auto& c : cases) {
    const ConversionResult result = Convert(c.film, c.track);
    EXPECT_EQ(result.outcome, ConversionOutcome::Incorrect) << c.film;
    EXPECT_EQ(result.reason, c.reason);
  }
}

}  // namespace
}  // namespace marvek
