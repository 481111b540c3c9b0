// Repair: what it leaves out, what it mends, what it reports; and the reading to the end that
// lists every problem of a file.
#include <gtest/gtest.h>

#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

ConversionResult Convert(std::string_view bytes, ConversionOptions options = {}) {
  testing::RecordingPanel panel;
  return ConvertTitleBytes(bytes, CharMode::DeviceCodes, panel, options);
}

ConversionResult Repaired(std::string_view bytes) {
  return Convert(bytes, {.repair = true});
}

// The titles of an image as "start-end:text", one string.
std::string Titles(const ConversionResult& result) {
  ByteString image = result.image;
  PadTitleImage(image);
  std::string out;
  for (const DecodedTitle& title : DecodeTitleImage(image).titles) {
    out += std::to_string(title.start) + "-" + std::to_string(title.end) + ":" + title.utf8 + " ";
  }
  return out;
}

std::vector<std::size_t> FirstLines(const ConversionResult& result, RepairKind kind) {
  const RepairReport::Count& count = result.repairs.of(kind);
  const std::size_t kept = std::min(count.lines, RepairReport::kFirstLinesKept);
  return std::vector<std::size_t>(count.first.begin(), count.first.begin() + kept);
}

using Lines = std::vector<std::size_t>;

TEST(Repair, LeavesOutWhatIsNoTitleAndCountsItByKind) {
  const std::string file =
      "Content-Type: text/plain\r\n"  // 1: a saved HTTP header
      "\r\n"                          // 2
      "{1}{1}23.976\r\n"              // 3: the frame-rate line
      "{DEFAULT}{C:$FF0000}\r\n"      // 4
      "{-164}{-68}Gone\r\n"           // 5: ends before frame 0
      "{-35}{23}Early\r\n"            // 6: starts at 0 instead
      " \t\r\n"                       // 7
      "{30}{0}Never\r\n"              // 8: ends at frame 0
      "{223d5}{2306}x\r\n"            // 9
      "{100}{150}Kept\r\n";
  const ConversionResult r = Repaired(file);
  ASSERT_EQ(r.outcome, ConversionOutcome::Converted);
  EXPECT_EQ(Titles(r), "0-23:Early 100-150:Kept ");
  ASSERT_TRUE(r.fileFrameRate.has_value());
  EXPECT_EQ(FrameRateText(*r.fileFrameRate), "23.976");
  EXPECT_EQ(FirstLines(r, RepairKind::BlankLine), (Lines{2, 7}));
  EXPECT_EQ(FirstLines(r, RepairKind::NotATitle), (Lines{1, 4, 9}));
  EXPECT_EQ(FirstLines(r, RepairKind::FrameRateLine), (Lines{3}));
  EXPECT_EQ(FirstLines(r, RepairKind::EndsAtOrBeforeZero), (Lines{5, 8}));
  EXPECT_EQ(FirstLines(r, RepairKind::StartBeforeZero), (Lines{6}));
  EXPECT_EQ(RepairStatusLine(r.repairs),
            "Repair left out 2 blank lines (lines 2, 7), 3 lines that are no title (lines 1, 4, "
            "9), 1 frame-rate line (line 3), 2 titles ending at frame 0 or before (lines 5, 8); "
            "mended 1 title starting before frame 0 (line 6).");
  // A problem is never the file's: no line is refused.
  EXPECT_EQ(r.lineNumber, 0u);
  EXPECT_TRUE(r.problems.empty());  // listed only when asked for
}

TEST(Repair, KnowsAFrameRateLineOnlyAsTheFirstTitle) {
  struct Case {
    const char* file;
    const char* titles;  // with repair
    const char* rate;    // "" when there is none
  };
  const Case cases[] = {
      {"{1}{0}}25\n{30}{40}a", "30-40:a ", "25"},  // damaged forms
      {"{1}{1}}25\n{30}{40}a", "30-40:a ", "25"},
      {"{0}{1}{y:i} 12.500 \n{30}{40}a", "30-40:a ", "12.500"},
      {"\n{1}{1}29.97\n{30}{40}a", "30-40:a ", "29.97"},  // after a line that is no title
      {"{30}{40}a\n{1}{1}25", "30-40:a 40-40:25 ", ""},   // not the first title
      {"{1}{2}25\n{30}{40}a", "1-2:25 30-40:a ", ""},     // ends after frame 1
      {"{1}{1}201\n{30}{40}a", "1-1:201 30-40:a ", ""},   // no rate from 1 to 200
      {"{1}{1}0.5\n{30}{40}a", "1-1:0.5 30-40:a ", ""},
      {"{1}{1}25 fps\n{30}{40}a", "1-1:25 fps 30-40:a ", ""},
      {"{1}{1}3/2\n{30}{40}a", "1-1:3/2 30-40:a ", ""},  // a fraction is a title's text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const ConversionResult r = Repaired(c.file);
    EXPECT_EQ(Titles(r), c.titles);
    EXPECT_EQ(r.fileFrameRate ? FrameRateText(*r.fileFrameRate) : "", c.rate);
  }
  // Without repair the line is a title like any other, and its rate is kept all the same.
  const ConversionResult strict = Convert("{1}{1}}25\r\n{30}{40}a");
  EXPECT_EQ(Titles(strict), "1-1:}25 30-40:a ");
  ASSERT_TRUE(strict.fileFrameRate.has_value());
  EXPECT_EQ(FrameRateText(*strict.fileFrameRate), "25");
}

TEST(Repair, MendsTitlesItCanRead) {
  struct Case {
    const char* file;
    const char* titles;
    RepairKind kind;
  };
  const Case cases[] = {
      {"{-35}{23}a", "0-23:a ", RepairKind::StartBeforeZero},
      {"{ -35 }{23}a", "0-23:a ", RepairKind::StartBeforeZero},
      // Two titles run together, and three.
      {"{60700}{60800}SUBHEAVEN.ORG{60825}{60900}Best watched",
       "60700-60800:SUBHEAVEN.ORG 60825-60900:Best watched ", RepairKind::RunTogether},
      {"{1}{2}a{3}{4}{y:i}b{5}{6}", "1-2:a 3-4:b 5-6: ", RepairKind::RunTogether},
      {"{1}{2}a {b} c}", "1-2:a (b) c) ", RepairKind::BracesInText},
      {"{1}{2}{y:i}a{", "1-2:a( ", RepairKind::BracesInText},
      {"{1}{2}/- Hi.|/- Ho.", "1-2:- Hi.|- Ho. ", RepairKind::SlashAtLineStart},
      {"{1}{2}{y:i}/Hi|/{y:i}/Ho", "1-2:Hi|/Ho ", RepairKind::SlashAtLineStart},
      {"{1}{2}|/", "1-2:| ", RepairKind::SlashAtLineStart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const ConversionResult r = Repaired(c.file);
    ASSERT_EQ(r.outcome, ConversionOutcome::Converted);
    EXPECT_EQ(Titles(r), c.titles);
    EXPECT_EQ(FirstLines(r, c.kind), Lines{1});
  }
  // A "/" inside a line of the title, or after a blank, is text.
  EXPECT_EQ(Titles(Repaired("{1}{2}either/or| /x")), "1-2:either/or| /x ");

  // A title too long to repeat is cut to what the image can hold.
  const ConversionResult huge = Repaired("{0}{2147483647}" + std::string(600, 'a'));
  ASSERT_EQ(huge.outcome, ConversionOutcome::Converted);
  EXPECT_EQ(huge.image.size(), 4u * 1024 * 1024 / 605 * 605);
  EXPECT_EQ(FirstLines(huge, RepairKind::TitleShortened), Lines{1});
}

TEST(Repair, LeavesAFileWithoutFaultsAsTheStrictReadingDoes) {
  const std::string file =
      "{0}{25}{y:i}Hi|{y:b}there\r\n{25}{25}\r\n{30}{20}back\r\n{40}{70000}long\r\n"
      "{200000}{200010}far|a/b| / c\r\n{ 5 }{6}x";
  const ConversionResult strict = Convert(file);
  const ConversionResult repaired = Repaired(file);
  ASSERT_EQ(strict.outcome, ConversionOutcome::Converted);
  EXPECT_TRUE(repaired.image == strict.image);
  EXPECT_TRUE(repaired.repairs.empty());
  EXPECT_EQ(RepairStatusLine(repaired.repairs), "Repair found nothing to leave out or mend.");
}

TEST(Repair, ReadsSubRipTitlesItCanAndLeavesOutTheOthers) {
  const std::string file =
      "1\n-00:00:02,000 --> -00:00:01,000\nGone\n\n"  // times on line 2: end before 0
      "2\n-00:00:01,000 --> 00:00:01,000\nEarly\n\n"  // 6: starts at 0
      "3\nsoon\nlost\n\n"                             // 10: no times
      "4\n00:00:04,000 --> 00:00:05,000\na {b}\n\n"   // 14
      "5\n";                                          // 17: the file ends before its times
  ConversionOptions options{.repair = true, .displayRate = ParseFrameRate("25")};
  const ConversionResult r = Convert(file, options);
  ASSERT_EQ(r.outcome, ConversionOutcome::Converted) << r.reason;
  EXPECT_EQ(Titles(r), "0-25:Early 100-125:a (b) ");
  EXPECT_EQ(FirstLines(r, RepairKind::EndsAtOrBeforeZero), Lines{2});
  EXPECT_EQ(FirstLines(r, RepairKind::StartBeforeZero), Lines{6});
  EXPECT_EQ(FirstLines(r, RepairKind::UnreadableCue), (Lines{10, 17}));
  EXPECT_EQ(FirstLines(r, RepairKind::BracesInText), Lines{14});

  options.repair = false;
  const ConversionResult strict = Convert(file, options);
  EXPECT_EQ(strict.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(strict.lineNumber, 2u);
  EXPECT_EQ(strict.fault, LineFault::FrameBeforeZero);
}

// The first line with a layout tells the layout, past a saved HTTP header: the strict reading
// refuses the header at its line, repair leaves it out and reads the titles in their layout.
TEST(Repair, ReadsAFileBehindASavedHeaderInTheLayoutOfItsTitles) {
  const std::string header = "Content-Type: text/plain\r\n\r\n";
  struct Case {
    std::string file;
    TitleLayout layout;
    LineFault strict;
  };
  const Case cases[] = {
      {header + "[0][10]Hi\r\n", TitleLayout::Mpl2, LineFault::Mpl2Layout},
      {header + "1\r\n00:00:00,000 --> 00:00:01,000\r\nHi\r\n", TitleLayout::SubRip,
       LineFault::SubRipLayout},
      {header + "{0}{25}Hi\r\n", TitleLayout::Braces, LineFault::MissingBrace},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ConversionOptions options{.displayRate = ParseFrameRate("25")};
    const ConversionResult strict = Convert(c.file, options);
    EXPECT_EQ(strict.timing.layout, c.layout);
    EXPECT_EQ(strict.outcome, ConversionOutcome::Incorrect);
    EXPECT_EQ(strict.lineNumber, 1u);
    EXPECT_EQ(strict.fault, c.strict);
    options.repair = true;
    const ConversionResult repaired = Convert(c.file, options);
    ASSERT_EQ(repaired.outcome, ConversionOutcome::Converted) << repaired.reason;
    EXPECT_EQ(Titles(repaired), "0-25:Hi ");
  }
}

// A file of lines that repair leaves out, every one, is refused: an empty image would be no
// conversion of it. An empty file stays an empty image, read either way.
TEST(Repair, RefusesAFileInWhichNoTitleIsLeft) {
  const std::pair<std::string, std::string> cases[] = {
      {" \n\n\t\n", "no title in the file; repair left out all 3 lines"},
      {"Content-Type: text/plain", "no title in the file; repair left out its only line"},
      {"{1}{1}25\n{-5}{-1}gone\n", "no title in the file; repair left out all 2 lines"},
  };
  for (const auto& [file, reason] : cases) {
    SCOPED_TRACE(file);
    const ConversionResult r = Repaired(file);
    EXPECT_EQ(r.outcome, ConversionOutcome::Incorrect);
    EXPECT_EQ(r.lineNumber, 1u);
    EXPECT_EQ(r.fault, LineFault::NoTitle);
    EXPECT_EQ(r.reason, reason);
    EXPECT_FALSE(r.repairable);
    EXPECT_TRUE(r.image.empty());
  }
  for (const bool repair : {false, true}) {
    const ConversionResult empty = Convert("", {.repair = repair});
    EXPECT_EQ(empty.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(empty.image.empty());
  }
}

TEST(Repair, ReadingToTheEndListsEveryProblemWithItsLine) {
  const std::string file =
      "{1}{1}25\n"           // 1: read as it stands without repair
      "{10}{20}/Hi\n"        // 2: likewise
      "\n"                   // 3: refused
      "{30}{40}a{b\n"        // 4: refused
      "{50}{60}}c\n"         // 5: read as it stands
      "{-1}{x}d\n"           // 6: refused for its start, left out for its end that is no number
      "{70}{80}a{90}{95}b";  // 7: refused
  const ConversionResult strict = Convert(file, {.collectProblems = true});
  EXPECT_EQ(strict.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(strict.lineNumber, 3u);
  EXPECT_EQ(strict.reason, "the line is blank");
  EXPECT_TRUE(strict.image.empty());
  std::vector<std::string> listed;
  for (const LineProblem& p : strict.problems) listed.push_back(DescribeProblem(p, false));
  EXPECT_EQ(listed, (std::vector<std::string>{
                        "Line 1: frame-rate line, 25 frames a second (read as it stands)",
                        "Line 2: a line of the title starts with \"/\" (read as it stands)",
                        "Line 3: the line is blank",
                        "Line 4: title text holds \"{\", which the display reads as the end "
                        "of a title",
                        "Line 5: title text holds \"}\" (read as it stands)",
                        "Line 6: start frame \"-1\" is before frame 0",
                        "Line 7: a second title {90}{95} runs on in the text",
                    }));
  EXPECT_EQ(strict.problems[5].fault, LineFault::FrameBeforeZero);

  const ConversionResult repaired = Convert(file, {.repair = true, .collectProblems = true});
  EXPECT_EQ(repaired.outcome, ConversionOutcome::Converted);
  EXPECT_TRUE(repaired.image == Repaired(file).image);
  ASSERT_EQ(repaired.problems.size(), 7u);
  EXPECT_EQ(DescribeProblem(repaired.problems[0], true),
            "Line 1: frame-rate line, 25 frames a second; left out");
  EXPECT_EQ(DescribeProblem(repaired.problems[3], true),
            "Line 4: title text holds \"{\", which the display reads as the end of a title; "
            "\"{\" and \"}\" become \"(\" and \")\"");

  // A file the strict reading takes: the same image, and what repair would do listed.
  const ConversionResult passes = Convert("{10}{20}/Hi\n{30}{40}x", {.collectProblems = true});
  EXPECT_EQ(passes.outcome, ConversionOutcome::Converted);
  EXPECT_TRUE(passes.image == Convert("{10}{20}/Hi\n{30}{40}x").image);
  ASSERT_EQ(passes.problems.size(), 1u);
  EXPECT_FALSE(passes.problems[0].refused());
}

}  // namespace
}  // namespace marvek
