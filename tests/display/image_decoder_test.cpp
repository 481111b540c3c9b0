#include "display/image_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "convert/title_image.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Fill(std::size_t n) {
  return std::string(n, '\xFF');
}

std::string Record(unsigned gap, unsigned duration, std::string_view text) {
  std::string record{static_cast<char>(gap >> 8), static_cast<char>(gap & 0xFF),
                     static_cast<char>(duration >> 8), static_cast<char>(duration & 0xFF)};
  return record.append(text).append("{");
}

MATCHER_P3(IsTitle, start, end, utf8, "") {
  return arg.start == start && arg.end == end && arg.utf8 == utf8;
}

TEST(ImageDecoder, ReadsRecordsOnTheDisplaysClock) {
  // Header bytes may be "{" or 0xFF: they are frame counts, not terminators or fill.
  const std::string records = Record(100, 150,
                                     "\xC0"
                                     "a\xEA"
                                     "a") +
                              Record(0x7B7B, 0xFF00, "A") + Record(0, 0, "");
  const DecodedImage image = DecodeTitleImage(records + Fill(12));
  EXPECT_TRUE(image.ok()) << DescribeImage(image);
  EXPECT_THAT(image.titles, ElementsAre(IsTitle(100, 250, "čaša"), IsTitle(31861, 97141, "A"),
                                        IsTitle(97141, 97141, "")));
  EXPECT_EQ(image.titles[0].text,
            "\xC0"
            "a\xEA"
            "a");
  EXPECT_EQ(image.fillLength, 12u);
  EXPECT_EQ(image.imageLength, 32u);

  // Records that end on a block boundary are followed by a whole block of fill.
  const DecodedImage exact = DecodeTitleImage(Record(0, 0, "elevenbytes") + Fill(16));
  EXPECT_TRUE(exact.ok());
  EXPECT_EQ(exact.fillLength, 16u);

  const DecodedImage onlyFill = DecodeTitleImage(Fill(16));
  EXPECT_TRUE(onlyFill.ok());
  EXPECT_TRUE(onlyFill.titles.empty());
}

TEST(ImageDecoder, ShowsDeviceCodesBeforeWindows1250) {
  EXPECT_EQ(DisplayText("\xE0\xC0\xEB\xE2\xEC\xCC\xED\xE9\xEE\xEA"), "ČčĆćŽžĐđŠš");
  // The same letters as Windows-1250 bytes, which are not device codes.
  EXPECT_EQ(DisplayText("\xC8\xE8\xC6\xE6\x8E\x9E\xD0\xF0\x8A\x9A"), "ČčĆćŽžĐđŠš");
  EXPECT_EQ(DisplayText("Hi \xA9\xE1"), "Hi ©á");
  EXPECT_EQ(DisplayText(std::string("a\x81\x98z", 4)), "a??z");  // bytes with no letter
  EXPECT_EQ(DisplayText(std::string("\x00\x09\x1F\x7F", 4)), "\\x00\\x09\\x1F\\x7F");
}

TEST(ImageDecoder, GivesBackWhatTheConversionStored) {
  testing::RecordingPanel panel;
  // The second title overlaps the first and waits for it; the fourth starts 123 frames after the
  // third ends, a gap whose low byte is "{".
  ConversionResult converted = ConvertTitleBytes(
      "{100}{250}\xE8"
      "a\x9A"
      "a\r\n{200}{300}B\r\n{1000}{1100}Dobar dan\r\n{1223}{1323}\xD0"
      "ak\r\n",
      CharMode::DeviceCodes, panel);
  ASSERT_EQ(converted.outcome, ConversionOutcome::Converted);
  PadTitleImage(converted.image);
  const DecodedImage image = DecodeTitleImage(converted.image);
  EXPECT_TRUE(image.ok()) << DescribeImage(image);
  EXPECT_THAT(image.titles,
              ElementsAre(IsTitle(100, 250, "čaša"), IsTitle(250, 300, "B"),
                          IsTitle(1000, 1100, "Dobar dan"), IsTitle(1223, 1323, "Đak")));
}

TEST(ImageDecoder, ReportsEveryKindOfProblem) {
  const std::string hi = Record(0, 25, "Hi");  // 7 bytes

  const DecodedImage empty = DecodeTitleImage("");
  EXPECT_THAT(empty.problems, ElementsAre("the image is empty"));

  const DecodedImage noFill = DecodeTitleImage(Record(0, 0, "elevenbytes"));
  EXPECT_EQ(noFill.titles.size(), 1u);
  EXPECT_THAT(noFill.problems, ElementsAre(HasSubstr("no fill after the last record")));

  const DecodedImage longFill = DecodeTitleImage(Record(0, 0, "elevenbytes") + Fill(32));
  EXPECT_THAT(longFill.problems, ElementsAre(HasSubstr("the fill is 32 bytes long")));

  const DecodedImage notFF = DecodeTitleImage(hi + "\xFF\xFF" + std::string(1, '\0') + Fill(6));
  EXPECT_FALSE(notFF.fillIsAllFF);
  EXPECT_EQ(notFF.fillLength, 9u);
  EXPECT_THAT(notFF.problems, ElementsAre(HasSubstr("but byte 9 is 0x00")));

  const DecodedImage ragged = DecodeTitleImage(hi + Fill(4));
  EXPECT_THAT(ragged.problems, ElementsAre("the image is 11 bytes, not a whole number of 16-byte "
                                           "blocks"));

  // The "{" of the second record's header is its gap, so the record has no terminator.
  const DecodedImage unended = DecodeTitleImage(hi + Record(0x7B, 1, "abc").substr(0, 7) + Fill(2));
  EXPECT_EQ(unended.titles.size(), 1u);
  EXPECT_EQ(unended.fillLength, 0u);
  EXPECT_THAT(unended.problems, ElementsAre(HasSubstr("record 2 at byte 7 has no terminator")));

  const DecodedImage cutShort = DecodeTitleImage("\xFF{");
  EXPECT_THAT(cutShort.problems, ElementsAre(HasSubstr("record 1 at byte 0 has no terminator"),
                                             HasSubstr("the image is 2 bytes")));
}

TEST(ImageDecoder, DescribesTitlesFillAndProblems) {
  EXPECT_EQ(DescribeImage(DecodeTitleImage(Record(100, 150,
                                                  "\xC0"
                                                  "a\xEA"
                                                  "a") +
                                           Fill(7))),
            "  1  100 -> 250  čaša\n"
            "fill: 7 bytes of 0xFF, image 16 bytes, OK\n");

  // Columns line up; a title without text ends after its frames.
  EXPECT_EQ(DescribeImage(DecodeTitleImage(Record(5, 20, "A") + Record(975, 9000, "") + Fill(5))),
            "  1     5 ->    25  A\n"
            "  2  1000 -> 10000\n"
            "fill: 5 bytes of 0xFF, image 16 bytes, OK\n");

  EXPECT_EQ(DescribeImage(DecodeTitleImage(Record(0, 25, "Hi") + Fill(1) + std::string(1, 'x'))),
            "  1  0 -> 25  Hi\n"
            "fill: 2 bytes, not all 0xFF, image 9 bytes, PROBLEMS:\n"
            "  - the 2 bytes after the last record, from byte 7, should all be 0xFF fill, but "
            "byte 8 is 0x78\n"
            "  - the image is 9 bytes, not a whole number of 16-byte blocks\n");

  EXPECT_EQ(DescribeImage(DecodeTitleImage("")),
            "(no titles)\nfill: none, image 0 bytes, PROBLEMS:\n  - the image is empty\n");
}

// Builds the image back from what was decoded: records, then the fill as it stood.
std::string Reencode(const DecodedImage& image, std::string_view original) {
  std::string bytes;
  std::int64_t previousEnd = 0;
  for (const DecodedTitle& title : image.titles) {
    const std::int64_t gap = title.start - previousEnd;
    const std::int64_t duration = title.end - title.start;
    if (gap < 0 || gap > 0xFFFF || duration < 0 || duration > 0xFFFF) return "<bad clock>";
    bytes += Record(static_cast<unsigned>(gap), static_cast<unsigned>(duration), title.text);
    previousEnd = title.end;
  }
  const std::size_t fillFrom = original.size() - image.fillLength;
  if (image.fillLength > 0) bytes.append(original.substr(fillFrom));
  return bytes;
}

TEST(ImageDecoder, TakesAnyBytes) {
  std::mt19937 random(20240611);
  // Mostly terminators, fill and zeros, the bytes the decoder decides on.
  const char favourites[] = {'{', '\xFF', '\0', 'L'};
  for (int round = 0; round < 20000; ++round) {
    const std::size_t length = random() % 80;
    std::string bytes(length, '\0');
    for (char& c : bytes) {
      c = random() % 2 ? favourites[random() % 4] : static_cast<char>(random() % 256);
    }
    const DecodedImage image = DecodeTitleImage(bytes);
    SCOPED_TRACE(::testing::PrintToString(bytes));
    ASSERT_EQ(image.imageLength, length);
    // The titles read and the fill are exactly the bytes they came from.
    const std::string rebuilt = Reencode(image, bytes);
    ASSERT_EQ(rebuilt, bytes.substr(0, rebuilt.size()));
    for (const DecodedTitle& title : image.titles)
      ASSERT_EQ(title.text.find('{'), std::string::npos);
    if (image.ok()) {
      ASSERT_EQ(rebuilt, bytes);
      ASSERT_EQ(length % 16, 0u);
      ASSERT_GE(image.fillLength, 1u);
      ASSERT_LE(image.fillLength, 16u);
      ASSERT_EQ(bytes.find_first_not_of('\xFF', length - image.fillLength), bytes.npos);
    }
    const std::string description = DescribeImage(image);
    ASSERT_EQ(description.back(), '\n');
    ASSERT_NE(description.find(image.ok() ? ", OK\n" : "PROBLEMS:\n"), description.npos);
  }
}

}  // namespace
}  // namespace marvek
