#include "convert/layouts/subrip_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "convert/timing/frame_rate.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/decoded_conversion.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

TEST(SubRipTimes, ReadsTheLineOfTimes) {
  std::int64_t start = 0;
  std::int64_t end = 0;
  ASSERT_TRUE(ParseSubRipTimes("00:01:02,500 --> 00:01:04,000", start, end));
  EXPECT_EQ(start, 62'500);
  EXPECT_EQ(end, 64'000);
  // A point before the milliseconds, short fractions, blanks, and display coordinates after.
  ASSERT_TRUE(ParseSubRipTimes(" 1:02:03.5-->1:02:04,25  X1:10 X2:20 Y1:5 Y2:9", start, end));
  EXPECT_EQ(start, 3'723'500);
  EXPECT_EQ(end, 3'724'250);
  for (const char* bad : {"", "1", "00:01:02,500", "00:01:02,500 -> 00:01:04,000",
                          "00:60:00,000 --> 01:00:00,000", "00:00:01 --> 00:00:02",
                          "00:00:01,000 --> 00:00:02,000x", "1000:00:00,000 --> 1000:00:01,000"}) {
    EXPECT_FALSE(ParseSubRipTimes(bad, start, end)) << bad;
  }
}

TEST(SubRipText, DropsFormattingTagsOnly) {
  const auto strip = [](std::string_view line) {
    ByteString text;
    AppendWithoutTags(line, text);
    return text;
  };
  EXPECT_EQ(strip("<i>Hi</i> <B>there</B>, <u>you</U>"), "Hi there, you");
  EXPECT_EQ(strip("<font color=\"#ff0000\">red</font> <FONT face=x>"), "red ");
  EXPECT_EQ(strip("{\\an8}Top {\\i1}line"), "Top line");
  // Text that only looks like a tag stays.
  EXPECT_EQ(strip("a < b > c <br> <iframe> <i x>"), "a < b > c <br> <iframe> <i x>");
  EXPECT_EQ(strip("1 <i"), "1 <i");
  EXPECT_EQ(strip("{\\an8 unclosed"), "{\\an8 unclosed");
}

using Converted = testing::DecodedConversion;

Converted ConvertSubRip(std::string_view bytes, std::string_view rate,
                        CharMode mode = CharMode::DeviceCodes) {
  ConversionOptions options;
  options.displayRate = ParseFrameRate(rate);
  return testing::ConvertAndDecode(bytes, mode, options);
}

void ExpectTitle(const DecodedTitle& title, std::int64_t start, std::int64_t end,
                 const std::string& text) {
  EXPECT_EQ(title.start, start);
  EXPECT_EQ(title.end, end);
  EXPECT_EQ(title.utf8, text);
}

TEST(SubRipConversion, GivesTheTitlesOfTheFileOnTheDisplaysClock) {
  // CR LF, two lines joined, tags, a title without a number, the last without its blank line.
  const Converted c = ConvertSubRip(
      "1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>First</i>\r\nline two\r\n\r\n"
      "2\r\n00:00:04,020 --> 00:00:05,000\r\n{\\an8}Second\r\n\r\n\r\n"
      "00:00:06,000 --> 00:00:07,000\r\nThird",
      "25");
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  ASSERT_EQ(c.titles.size(), 3u);
  ExpectTitle(c.titles[0], 25, 63, "First|line two");  // 62.5 rounds up
  ExpectTitle(c.titles[1], 101, 125, "Second");        // 100.5 rounds up
  ExpectTitle(c.titles[2], 150, 175, "Third");
}

TEST(SubRipConversion, ReadsTheLettersInTheFilesEncoding) {
  const std::string title = "1\n00:00:00,000 --> 00:00:01,000\n";
  // UTF-8 and Windows-1250 give the same record; an empty text gives an empty record.
  for (const std::string& letters : {std::string("čaša đak"), std::string("\xE8"
                                                                          "a\x9A"
                                                                          "a \xF0"
                                                                          "ak")}) {
    const Converted c = ConvertSubRip(title + letters + "\n\n2\n00:00:02,000 --> 00:00:03,000\n\n",
                                      "25", CharMode::PlainLetters);
    ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
    ASSERT_EQ(c.titles.size(), 2u);
    ExpectTitle(c.titles[0], 0, 25, "casa djak");
    ExpectTitle(c.titles[1], 50, 75, "");
  }
}

TEST(SubRipConversion, NamesTheLineOfWhatCannotBeRead) {
  const auto rejected = [](std::string_view bytes, std::string_view rate) {
    testing::RecordingPanel panel;
    ConversionOptions options;
    options.displayRate = ParseFrameRate(rate);
    return ConvertTitleBytes(bytes, CharMode::DeviceCodes, panel, options);
  };
  const std::string first = "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n";

  ConversionResult r = rejected(first + "2\n00:00:03,000 -> 00:00:04,000\nHo\n", "25");
  EXPECT_EQ(r.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(r.fault, LineFault::SubRipLayout);
  EXPECT_EQ(r.lineNumber, 6u);
  EXPECT_EQ(r.reason, "expected the times of a title, such as 00:01:02,500 --> 00:01:04,000");
  EXPECT_TRUE(r.image.empty());

  r = rejected(first + "2\n", "25");
  EXPECT_EQ(r.lineNumber, 5u);
  EXPECT_EQ(r.reason, "the file ends before the times of its last title");

  // A "{" in the text and a time before 0 are named at the title's times.
  r = rejected(first + "2\n00:00:03,000 --> 00:00:04,000\na { b\n", "25");
  EXPECT_EQ(r.fault, LineFault::TerminatorInText);
  EXPECT_EQ(r.lineNumber, 6u);
  r = rejected("1\n-00:00:01,000 --> 00:00:02,000\nEarly\n", "25");
  EXPECT_EQ(r.fault, LineFault::FrameBeforeZero);
  EXPECT_EQ(r.lineNumber, 2u);
  EXPECT_EQ(r.reason, "the title starts before 00:00:00,000");
}

TEST(SubRipConversion, BridgesLongGapsAndLongTitles) {
  // An hour is 90000 frames at 25 frames a second: one empty record bridges it.
  const Converted c = ConvertSubRip(
      "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n"
      "2\n01:00:00,000 --> 01:00:01,000\nLate\n\n"
      "3\n01:00:02,000 --> 02:00:00,000\nLong\n",
      "25");
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  EXPECT_EQ(c.result.image.substr(0, 14), std::string("\x00\x19\x00\x19Hi{"
                                                      "\xFE\xFF\x00\x00{"
                                                      "\x60\x5F",
                                                      14));
  ASSERT_EQ(c.titles.size(), 5u);
  ExpectTitle(c.titles[2], 90000, 90025, "Late");
  ExpectTitle(c.titles[3], 90050, 90050 + 65535, "Long");
  ExpectTitle(c.titles[4], 90050 + 65535, 180000, "Long");
}

TEST(SubRipConversion, IsRefusedWithoutAFrameRate) {
  testing::RecordingPanel panel;
  const ConversionResult r = ConvertTitleBytes(
      "\xEF\xBB\xBF"
      "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n",
      CharMode::DeviceCodes, panel);
  EXPECT_EQ(r.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(r.fault, LineFault::SubRipWithoutRate);
  EXPECT_EQ(r.lineNumber, 1u);
  EXPECT_EQ(r.reason, "this is a SubRip file, whose times need the display's frame rate");
  EXPECT_FALSE(r.repairable);
  EXPECT_TRUE(panel.progress.empty());

  // A number and times with a blank line between them are no SubRip title.
  EXPECT_TRUE(LooksLikeSubRip("\n\n 7 \n00:00:01,000 --> 00:00:02,000"));
  EXPECT_TRUE(LooksLikeSubRip("00:00:01,000 --> 00:00:02,000\nNo numbers\n"));
  EXPECT_FALSE(LooksLikeSubRip("1\r\n\r\n00:00:01,000 --> 00:00:02,000\r\n"));
  // A title file is read as one, with or without a rate.
  const Converted braces = ConvertSubRip("{1}{25}Hi\r\n", "25");
  ASSERT_EQ(braces.titles.size(), 1u);
  ExpectTitle(braces.titles[0], 1, 25, "Hi");
}

}  // namespace
}  // namespace marvek
