// Conversions that change the titles' times: retiming a brace file to the display's frame rate,
// the shift, MPL2 files, and the sources kept for every record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "convert/timing/frame_rate.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/decoded_conversion.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

using Converted = testing::DecodedConversion;

Converted Convert(std::string_view bytes, ConversionOptions options = {}) {
  return testing::ConvertAndDecode(bytes, CharMode::DeviceCodes, options);
}

ConversionOptions Rates(const char* display, const char* file = nullptr) {
  ConversionOptions options;
  if (display != nullptr) options.displayRate = ParseFrameRate(display);
  if (file != nullptr) options.fileRate = ParseFrameRate(file);
  return options;
}

// The titles as "start-end text", for comparing whole files at a glance.
std::vector<std::string> Shown(const Converted& c) {
  std::vector<std::string> shown;
  for (const DecodedTitle& t : c.titles) {
    shown.push_back(std::to_string(t.start) + "-" + std::to_string(t.end) + " " + t.utf8);
  }
  return shown;
}

using Strings = std::vector<std::string>;

TEST(Retiming, MovesEveryFrameOfABraceFileToTheDisplaysRate) {
  const std::string file = "{0}{24}A\n{1838}{1900}B\n{2997}{3000}C\n";
  const Converted film = Convert(file, Rates("25", "23.976"));
  ASSERT_EQ(film.result.outcome, ConversionOutcome::Converted) << film.result.reason;
  EXPECT_EQ(Shown(film), (Strings{"0-25 A", "1916-1981 B", "3125-3128 C"}));
  EXPECT_EQ(TimingStatusLines(film.result.timing),
            Strings{"Frames retimed from 23.976 to 25 frames a second."});

  // Two file frames can fall on one display frame; halves go to the later frame.
  EXPECT_EQ(Shown(Convert("{12}{13}x\n", Rates("24", "25"))), Strings{"12-12 x"});
  EXPECT_EQ(Shown(Convert("{12}{36}x\n", Rates("25", "24"))), Strings{"13-38 x"});

  // Without the file's rate, or with the display's own, the frames go as they stand.
  for (const ConversionOptions& asTheyStand :
       {Rates("25"), Rates(nullptr, "23.976"), Rates("25", "25.000")}) {
    const Converted same = Convert(file, asTheyStand);
    EXPECT_EQ(same.result.image, Convert(file).result.image);
    EXPECT_FALSE(same.result.timing.retimed);
  }
  EXPECT_EQ(FramesAsTheyStandLine(Convert(file, Rates("25")).result.timing),
            "Frames taken as they stand: the file's frame rate is not known.");
}

TEST(Shift, MovesTitlesAndLeavesOutWhatEndsBeforeTheFilm) {
  ConversionOptions back;
  back.shift = -48;
  const Converted c = Convert("{10}{40}a\n{40}{60}b\n{100}{150}c\n{20}{48}d\n", back);
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  // d ends at frame 0 after the shift; b starts before it and is cut.
  EXPECT_EQ(Shown(c), (Strings{"0-12 b", "52-102 c"}));
  EXPECT_EQ(c.result.image.substr(0, 4), std::string("\x00\x00\x00\x0C", 4));
  EXPECT_EQ(TimingStatusLines(c.result.timing),
            Strings{"Titles shifted by -48 frames; 2 left out before the film's start; 1 now "
                    "starts at frame 0."});

  // A shift never refuses a file, even when nothing of it is left.
  back.shift = -1000;
  const Converted gone = Convert("{10}{40}a\n{100}{150}c\n", back);
  EXPECT_EQ(gone.result.outcome, ConversionOutcome::Converted);
  EXPECT_TRUE(gone.result.image.empty());
  EXPECT_EQ(gone.result.timing.leftOut, 2u);

  // The shift counts in the display's frames: after retiming, and after times become frames.
  ConversionOptions retimed = Rates("25", "24");
  retimed.shift = 10;
  EXPECT_EQ(Shown(Convert("{12}{36}x\n", retimed)), Strings{"23-48 x"});
  ConversionOptions subRip = Rates("25");
  subRip.shift = -25;
  EXPECT_EQ(Shown(Convert("1\n00:00:01,000 --> 00:00:02,500\nHi\n", subRip)), Strings{"0-38 Hi"});
}

TEST(RecordSources, NameTheLineAndWhatTheClockDid) {
  ConversionOptions keep;
  keep.keepRecordSources = true;
  const auto sources = [](const Converted& c) {
    std::vector<std::string> out;
    for (const RecordSource& s : c.result.recordSources) {
      std::string notes;
      if (s.Has(RecordSource::kWaited)) notes += " waited";
      if (s.Has(RecordSource::kShortened)) notes += " shortened";
      out.push_back(std::to_string(s.line) + notes);
    }
    return out;
  };
  // A title that overlaps the previous one waits; it loses time unless it asked for none.
  const std::string overlaps = "{0}{50}a\n{40}{60}b\n{55}{58}c\n{70}{70}d\n{65}{65}e\n";
  EXPECT_EQ(sources(Convert(overlaps, keep)),
            (Strings{"1", "2 waited shortened", "3 waited shortened", "4", "5 waited"}));
  EXPECT_TRUE(Convert(overlaps).result.recordSources.empty());

  // Titles left out by the shift have no record and no source; a cut start is a shortening.
  keep.shift = -55;
  EXPECT_EQ(sources(Convert(overlaps, keep)),
            (Strings{"2 shortened", "3 waited shortened", "4", "5 waited"}));

  // SubRip titles come from their line of times, MPL2 titles from their own line.
  ConversionOptions timed = Rates("25");
  timed.keepRecordSources = true;
  EXPECT_EQ(sources(Convert("1\n00:00:01,000 --> 00:00:02,000\nA\nB\n\n2\n"
                            "00:00:03,000 --> 00:00:04,000\nC\n",
                            timed)),
            (Strings{"2", "7"}));
  EXPECT_EQ(sources(Convert("[10][20]A\n[30][40]B\n", timed)), (Strings{"1", "2"}));

  // A refused file keeps no sources, as it keeps no image.
  EXPECT_TRUE(Convert("{0}{10}a\n{x}{20}b\n", keep).result.recordSources.empty());
}

TEST(Mpl2Conversion, ReadsTenthsOfASecondAtTheDisplaysRate) {
  const Converted c =
      Convert("[1][3]/Hi|{y:i}/there\r\n[10][10]\r\n[30][45]<i>Bye</i>", Rates("25", "23.976"));
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  // 2.5 and 7.5 frames take the later frame; a file's own frame rate means nothing to times.
  EXPECT_EQ(Shown(c), (Strings{"3-8 Hi|there", "25-25 ", "75-113 Bye"}));
  EXPECT_EQ(c.result.timing.layout, TitleLayout::Mpl2);
  EXPECT_EQ(TimingStatusLines(c.result.timing), Strings{"Times read at 25 frames a second."});

  const Converted noRate = Convert("[1][3]Hi\n");
  EXPECT_EQ(noRate.result.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(noRate.result.fault, LineFault::Mpl2WithoutRate);
  EXPECT_EQ(noRate.result.reason,
            "this is an MPL2 file, whose times need the display's frame rate");
}

TEST(Mpl2Conversion, RefusesEachBrokenLineWithItsNumber) {
  struct Case {
    const char* file;
    std::size_t line;
    LineFault fault;
    const char* reason;
  };
  for (const Case& c : {
           Case{"[0][10]a\n\n[20][30]b", 2, LineFault::BlankLine, "the line is blank"},
           Case{"[0][10]a\n{20}{30}b", 2, LineFault::Mpl2Layout,
                "not in the [start][end]text layout"},
           Case{"[0][10]a\n[20][3x]b", 2, LineFault::FrameNotNumber,
                "end time \"3x\" is not a number of tenths of a second"},
           Case{"[0][10]a\n[][30]b", 2, LineFault::FrameNotNumber,
                "start time \"\" is not a number of tenths of a second"},
           Case{"[0][360000000]a", 1, LineFault::FrameTooLarge,
                "end time \"360000000\" is 1000 hours or more"},
           Case{"[0][10]a {b} c", 1, LineFault::TerminatorInText, nullptr},
       }) {
    const Converted r = Convert(c.file, Rates("25"));
    EXPECT_EQ(r.result.outcome, ConversionOutcome::Incorrect) << c.file;
    EXPECT_EQ(r.result.lineNumber, c.line) << c.file;
    EXPECT_EQ(r.result.fault, c.fault) << c.file;
    if (c.reason != nullptr) {
      EXPECT_EQ(r.result.reason, c.reason) << c.file;
    }
  }
}

// The MPL2 files among the real title files, read at 25 frames a second.
TEST(Mpl2Conversion, ReadsTheRealMpl2Files) {
  const std::filesystem::path wild = MARVEK_WILD_FILES;
  const std::filesystem::path got = wild / "25-subtitlesparser-got-mpl2-named-srt.srt";
  if (!std::filesystem::exists(got)) GTEST_SKIP() << "no real title files at " << wild;
  testing::RecordingPanel panel;
  ConversionOptions options = Rates("25");
  options.keepRecordSources = true;
  ConversionResult r = ConvertTitleFile(got.string(), CharMode::DeviceCodes, panel, options);
  ASSERT_EQ(r.outcome, ConversionOutcome::Converted) << r.reason;
  EXPECT_EQ(r.encoding, TextEncoding::Utf8);
  PadTitleImage(r.image);
  const DecodedImage image = DecodeTitleImage(r.image);
  ASSERT_TRUE(image.ok()) << DescribeImage(image);
  ASSERT_EQ(image.titles.size(), 999u);
  ASSERT_EQ(r.recordSources.size(), 999u);
  EXPECT_EQ(r.recordSources.back().line, 999u);
  const std::string credit =
      "Subtitles downloaded by MiniSubDownloader:|http://minisubdownloader.org";
  EXPECT_EQ(Shown({r, {image.titles[0]}}), Strings{"0-15 " + credit});
  EXPECT_EQ(image.titles[1].utf8, credit + "||Cersei:|The Tyrells are a problem.");
  EXPECT_EQ(image.titles[1].end, 53);  // 2.1 s is frame 52.5
  EXPECT_EQ(image.titles.back().start, 88243);
  EXPECT_EQ(image.titles.back().end, 88743);
  // No code, tag or italic mark reaches the display.
  for (const DecodedTitle& t : image.titles) {
    EXPECT_EQ(t.utf8.find_first_of("{}<>"), std::string::npos) << t.utf8;
    EXPECT_FALSE(t.utf8.starts_with("/")) << t.utf8;
    EXPECT_EQ(t.utf8.find("|/"), std::string::npos) << t.utf8;
  }

  // The other MPL2 file of the collection, when it is there: it converts at 25 frames a second.
  const std::filesystem::path mini = wild / "24-subtitlesparser-mpl2-minisubdownloader.txt";
  if (std::filesystem::exists(mini)) {
    const ConversionResult other =
        ConvertTitleFile(mini.string(), CharMode::DeviceCodes, panel, Rates("25"));
    EXPECT_EQ(other.timing.layout, TitleLayout::Mpl2);
    EXPECT_EQ(other.outcome, ConversionOutcome::Converted) << other.reason;
  }
}

}  // namespace
}  // namespace marvek
