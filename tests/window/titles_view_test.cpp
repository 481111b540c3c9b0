// The titles view: the table's rows against marvek-upload --show, the search, the timeline
// and the times of the film.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "support/temp_dir.h"
#include "window/film_time.h"
#include "window/timeline_strip.h"
#include "window/title_table_model.h"
#include "window/titles_summary.h"
#include "window/titles_view.h"
#if defined(MARVEK_UPLOAD_PROGRAM)
#include "cli/program_run.h"
#endif

namespace marvek {
namespace {

std::shared_ptr<const TitlesView> View(std::string_view fileBytes, CharMode mode,
                                       const ConversionChoices& choices = {}) {
  const testing::TempDir folder;
  const std::string path = folder.Write("titles.sub", fileBytes);
  SilentPanel quiet;
  return std::make_shared<TitlesView>(ViewTitles(path, mode, choices, quiet));
}

QString Cell(const TitleTableModel& model, int row, int column) {
  return model.data(model.index(row, column)).toString();
}

// The rows as marvek-upload --show writes titles: {start}{end}text, "{}" before a text with "}".
std::string RowsAsTitleFile(const TitleTableModel& model) {
  std::string out;
  for (int row = 0; row < model.rowCount(); ++row) {
    const std::string text = Cell(model, row, TitleTableModel::Text).toStdString();
    out += "{" + Cell(model, row, TitleTableModel::Start).toStdString() + "}{" +
           Cell(model, row, TitleTableModel::End).toStdString() + "}" +
           (text.find('}') != std::string::npos ? "{}" : "") + text + "\n";
  }
  return out;
}

#if defined(MARVEK_UPLOAD_PROGRAM) && defined(MARVEK_WILD_FILES)
// Real files, each with the choices of the window and the same choices on the command line.
TEST(TitlesTable, RowsOfWildFilesAreWhatTheCommandLineShows) {
  const std::filesystem::path wild = MARVEK_WILD_FILES;
  if (!std::filesystem::is_directory(wild)) GTEST_SKIP() << wild << " is not here";
  ConversionChoices at25;
  at25.timing.displayRate = "25";
  const struct {
    const char* file;
    CharMode mode;
    ConversionChoices choices;
    std::vector<std::string> arguments;
  } cases[] = {
      {"02-pysubtools-slovene-cp1250.sub", CharMode::DeviceCodes, {}, {}},
      {"04-pysubtools-english-crlf.sub", CharMode::PlainLetters, {}, {"--plain-letters"}},
      {"28-pysubtools-croatian-cp1250.srt",
       CharMode::PlainLetters,
       at25,
       {"--plain-letters", "--fps", "25"}},
      {"32-subtitlesparser-jpod-russian-cp1251.srt", CharMode::DeviceCodes, at25, {"--fps", "25"}},
  };
  for (const auto& c : cases) {
    const std::string path = (wild / c.file).string();
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--show", path});
    testing::ProgramRun show(MARVEK_UPLOAD_PROGRAM, arguments);
    ASSERT_EQ(show.Finish(), 0) << c.file << "\n" << show.err();

    SilentPanel quiet;
    const auto view = std::make_shared<TitlesView>(ViewTitles(path, c.mode, c.choices, quiet));
    ASSERT_TRUE(view->shown()) << c.file;
    const TitleTableModel model(view);
    EXPECT_GT(model.rowCount(), 10) << c.file;
    EXPECT_EQ(RowsAsTitleFile(model), show.out()) << c.file;
  }
}
#endif

#if defined(MARVEK_UPLOAD_PROGRAM)
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    lines.push_back(text.substr(from, end - from));
  }
  return lines;
}

// The summary is what --check says of the same file with the same choices: its report, then
// the status lines after "File successfull converted." that the report does not say already.
TEST(TitlesSummary, SaysWhatTheCommandLinesCheckSaysEachLineOnce) {
  ConversionChoices at25;
  at25.timing.displayRate = "25";
  ConversionChoices shifted = at25;
  shifted.timing.shift = "-10";
  const std::string braces = "{0}{25}Hi\r\n{30}{80}There\r\n";
  const std::string subRip = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n";
  const std::string utf8 =
      "{0}{25}\xC4\x8C"
      "a\xC5\xA1"
      "a\r\n";
  const struct {
    const char* name;
    std::string bytes;
    ConversionChoices choices;
    std::vector<std::string> arguments;
  } cases[] = {
      {"plain.sub", braces, {}, {}},
      // No frame-rate line: the display's rate cannot retime the frames, and both say so.
      {"norate.sub", braces, at25, {"--fps", "25"}},
      {"shifted.srt", subRip, shifted, {"--fps", "25", "--shift", "-10"}},
      {"utf8.sub", utf8, {}, {}},
  };
  const testing::TempDir folder;
  for (const auto& c : cases) {
    const std::string path = folder.Write(c.name, c.bytes);
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--quiet", "--check", path});
    testing::ProgramRun check(MARVEK_UPLOAD_PROGRAM, arguments);
    ASSERT_EQ(check.Finish(), 0) << c.name << "\n" << check.err();
    std::vector<std::string> expected = LinesOf(check.out());
    const std::vector<std::string> status = LinesOf(check.err());
    const auto converted = std::find(status.begin(), status.end(), "File successfull converted.");
    ASSERT_NE(converted, status.end()) << c.name;
    for (auto line = converted + 1; line != status.end(); ++line) {
      if (std::find(expected.begin(), expected.end(), *line) == expected.end()) {
        expected.push_back(*line);
      }
    }
    SilentPanel quiet;
    const TitlesView view = ViewTitles(path, CharMode::DeviceCodes, c.choices, quiet);
    EXPECT_EQ(TitlesSummary(view, "9600"), expected) << c.name;
  }
}
#endif

TEST(TitlesTable, NumbersTimesAndSearchFollowTheTitles) {
  ConversionChoices at25;
  at25.timing.displayRate = "25";
  // č as the display's own code and as plain letters, a title that waits for the one before.
  const auto view = View(
      "{0}{50}\xE8"
      "a\x9A"
      "a\r\n"
      "{45000}{45030}Velika \xC8"
      "A\x8A"
      "A\r\n"
      "{45010}{45100}kasnije\r\n",
      CharMode::DeviceCodes, at25);
  ASSERT_TRUE(view->shown());
  TitleTableModel model(view);
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(Cell(model, 1, TitleTableModel::Number), "2");
  EXPECT_EQ(Cell(model, 1, TitleTableModel::StartTime), "0:30:00.00");
  EXPECT_EQ(Cell(model, 0, TitleTableModel::Duration), "0:00:02.00");
  EXPECT_EQ(Cell(model, 2, TitleTableModel::Start), "45030");  // waited for the one before
  EXPECT_EQ(Cell(model, 2, TitleTableModel::End), "45100");

  // Whatever the case, in the display's letters as much as in plain ones.
  model.Search(QStringLiteral("ČAŠA"));
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.TitleOfRow(0), 0u);
  EXPECT_EQ(model.TitleOfRow(1), 1u);
  EXPECT_EQ(model.RowOfTitle(1), 1);
  EXPECT_EQ(model.RowOfTitle(2), -1);
  EXPECT_EQ(Cell(model, 1, TitleTableModel::Number), "2");
  model.Search(QStringLiteral("SNIJE"));
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(Cell(model, 0, TitleTableModel::Text), "kasnije");
  model.Search(QStringLiteral("ΩΩ"));  // no byte shows it
  EXPECT_EQ(model.rowCount(), 0);
  model.Search(QString());
  EXPECT_EQ(model.rowCount(), 3);

  // Without the display's frame rate there are no times to show.
  const TitleTableModel noRate(View("{0}{50}x\r\n", CharMode::DeviceCodes));
  EXPECT_EQ(Cell(noRate, 0, TitleTableModel::StartTime), "");
}

TEST(FilmTimes, RoundToTheNearestHundredthExactly) {
  const FrameRate pal{25, 1};
  const FrameRate ntscFilm{23976, 1000};
  EXPECT_EQ(FilmTime(0, pal), "0:00:00.00");
  EXPECT_EQ(FilmTime(1, pal), "0:00:00.04");
  EXPECT_EQ(FilmTime(25 * 3661, pal), "1:01:01.00");
  EXPECT_EQ(FilmTime(24, ntscFilm), "0:00:01.00");           // 1.001 s
  EXPECT_EQ(FilmTime(86313600, ntscFilm), "1000:00:00.00");  // hours do not wrap
  EXPECT_EQ(FilmTime(1, FrameRate{8, 1}), "0:00:00.13");     // 12.5 hundredths: halves go up
  EXPECT_EQ(FilmTime(2147483647, FrameRate{1, 1000}), "596523235:16:40.00");
}

TEST(Timeline, AClickPicksTheTitleUnderItOrTheNearestClose) {
  auto view = std::make_shared<TitlesView>();
  // Frames 0-100 and 500-510 and a title of no frames at 900, on a film of 1000 frames.
  view->titles = {{0, 100, 0, 0}, {500, 510, 0, 0}, {900, 900, 0, 0}, {999, 1000, 0, 0}};
  TimelineStrip strip(view);
  strip.resize(1000, strip.sizeHint().height());
  ASSERT_EQ(strip.frameSpan(), 1000);
  EXPECT_EQ(strip.TitleAt(50), 0);
  EXPECT_EQ(strip.TitleAt(505), 1);
  EXPECT_EQ(strip.TitleAt(513), 1);  // three pixels past its end
  EXPECT_EQ(strip.TitleAt(300), -1);
  EXPECT_EQ(strip.TitleAt(900), 2);
  EXPECT_EQ(strip.TitleAt(897), 2);

  // Zoomed in on frames 500-520: 50 pixels a frame.
  strip.ShowFrames(500, 20);
  EXPECT_EQ(strip.TitleAt(0), 1);
  EXPECT_EQ(strip.TitleAt(510), -1);
  strip.SetSelectedTitle(3);  // out of view: the view moves to it
  EXPECT_LE(strip.firstFrame(), 999);
  EXPECT_GT(strip.firstFrame() + strip.frameSpan(), 999);
}

}  // namespace
}  // namespace marvek
