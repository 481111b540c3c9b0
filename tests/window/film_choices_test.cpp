// The window's ways to films and the other title sources: File > Open's filters, the question of
// a film's track, and Options > Timing's "From a film...". Films are made with the ffmpeg program.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "convert/sources/ffmpeg_source.h"
#include "form1_probe.h"
#include "scripted_chooser.h"
#include "support/temp_dir.h"
#include "window/form1.h"
#include "window/timing_dialog.h"
#include "window/title_file_chooser.h"

namespace marvek {
namespace {

using testing::Find;

TEST(OpenDialog, OffersEverySourceAfterItsFirstTwoFilters) {
  EXPECT_EQ(TitleFileFilters(),
            (QStringList{"Text File (*.txt)", "Subtittle File (*.sub)",
                         "Films (*.mkv *.mp4 *.mov *.webm *.avi *.ts)", "DCP subtitles (*.xml)",
                         "ASS/SSA (*.ass *.ssa)", "WebVTT (*.vtt)",
                         "All title files (*.txt *.sub *.srt *.mpl *.ass *.ssa *.vtt *.smi *.sami "
                         "*.xml ASSETMAP *.mkv *.mp4 *.mov *.webm *.avi *.ts)"}));
}

class FilmChoices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FfmpegReadersBuiltIn() || std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "no ffmpeg program, or no FFmpeg readers in this build";
    }
    const std::string srt = dir_.Write("t.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    film_ = (dir_.path() / "film.mkv").string();
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i color=size=32x32:duration=2:rate=24000/1001 -i " + srt +
        " -i " + srt + " -map 0 -map 1 -map 2 -c:v mpeg4 -c:s srt " + film_;
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  testing::TempDir dir_;
  std::string film_;
};

TEST_F(FilmChoices, AFilmOfSeveralTracksAsksWhichOnceWhenChosen) {
  auto chooser = std::make_unique<testing::ScriptedChooser>();
  testing::ScriptedChooser& asked = *chooser;
  asked.AnswerTrack("2");
  Form1 form(std::move(chooser));
  form.SelectTitleFile(film_);
  EXPECT_EQ(asked.tracksAsked(), 1);
  EXPECT_EQ(form.conversionChoices().filmTrack, "2");
  EXPECT_EQ(ConversionOptionsFrom(form.conversionChoices()).track, "2");
  // A title file asks nothing, and reads no track.
  form.SelectTitleFile(dir_.Write("t.sub", "{1}{2}x\n"));
  EXPECT_EQ(asked.tracksAsked(), 1);
  EXPECT_EQ(form.conversionChoices().filmTrack, "");
}

TEST_F(FilmChoices, FromAFilmTakesItsRateExactly) {
  testing::ScriptedChooser films;
  films.AnswerFilm(QString::fromStdString(film_));
  TimingDialog dialog(TimingChoices{}, nullptr, &films);
  Find<QPushButton>(dialog, "RateFromFilm")->click();
  EXPECT_EQ(Find<QComboBox>(dialog, "DisplayRate")->currentText(), "24000/1001");
  const std::optional<FrameRate> rate = DisplayRateOf(dialog.choices());
  ASSERT_TRUE(rate);
  EXPECT_EQ(rate->numerator, 24000);
  EXPECT_EQ(rate->denominator, 1001);
}

}  // namespace
}  // namespace marvek
