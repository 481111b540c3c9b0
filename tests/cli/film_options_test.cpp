// marvek-upload's film options run as a process: --list-tracks, --track and --fps-from, with the
// exit codes of each outcome. The film is made with the ffmpeg program; skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/program_run.h"
#include "convert/sources/ffmpeg_source.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

using testing::ProgramRun;

TEST(FilmOptions, ListChooseAndTakeTheRateOfAFilm) {
  if (!FfmpegReadersBuiltIn() || std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no ffmpeg program, or no FFmpeg readers in this build";
  }
  testing::TempDir dir;
  const std::string srt = dir.Write("t.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
  const std::string film = (dir.path() / "film.mkv").string();
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i color=size=32x32:duration=2:rate=30000/"
                         "1001 -i " +
                         srt +
                         " -map 0 -map 1 -c:v mpeg4 -c:s srt "
                         "-metadata:s:s:0 language=slv " +
                         film)
                            .c_str()),
            0);
  const std::string vtt = dir.Write("t.vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n");
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
    std::string inErr;
  } cases[] = {
      {{"--list-tracks", film}, 0, "1\tslv\t-\tsubrip\n", ""},
      {{"--show", "--track", "slv", film},
       0,
       "{30}{60}Hi\n",
       "Display's frame rate 29.97 taken from the film."},
      {{"--show", "--track", "2", film}, 1, "", "the film has no title track 2"},
      {{"--show", "--fps-from", film, vtt},
       0,
       "{30}{60}Hi\n",
       "Display's frame rate 29.97 taken from " + film + "."},
      {{"--show", "--fps-from", vtt, vtt}, 1, "", "--fps-from: " + vtt + " gives no frame rate"},
      {{"--show", vtt}, 1, "", "this is a WebVTT file, whose times need the display's frame rate"},
      {{"--list-tracks", film, vtt}, 2, "", "--list-tracks takes no TITLE-FILE"},
  };
  for (const auto& c : cases) {
    ProgramRun run(MARVEK_UPLOAD_PROGRAM, c.arguments);
    EXPECT_EQ(run.Finish(), c.exitCode) << c.arguments[0] << " " << c.arguments[1];
    EXPECT_EQ(run.out(), c.out) << c.arguments[1];
    EXPECT_NE(run.err().find(c.inErr), std::string::npos) << run.err();
  }
}

}  // namespace
}  // namespace marvek
