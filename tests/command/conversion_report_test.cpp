// The account of a converted file that --check prints and the titles view sums up.
#include "command/conversion_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marvek {
namespace {

// `titles` records 100 frames apart, the first from frame 10, each 50 frames long.
std::vector<ImageRecord> Titles(std::size_t titles) {
  std::vector<ImageRecord> records;
  for (std::size_t i = 0; i < titles; ++i) {
    const auto start = static_cast<std::int64_t>(10 + 100 * i);
    records.push_back({start, start + 50, 0, 1});
  }
  return records;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(ConversionReport, CountsTitlesBlocksAndFramesAndTimesTheLine) {
  const TimingReport asTheyStand;
  const LinkSettings at9600 = FromOperatorChoice("Com1", "9600");
  EXPECT_EQ(Joined(ConversionReport(Titles(1), 16, at9600, asTheyStand)),
            "Titles: 1\nImage: 16 bytes, 1 block\nFrames: 10 to 60\n"
            "Upload at 9600 bit/s: about 0.02 s on the line\n"
            "Frames as in the file; no shift.\n");
  EXPECT_EQ(
      Joined(ConversionReport(Titles(0), 16, FromOperatorChoice("Com1", "115200"), asTheyStand)),
      "Titles: 0\nImage: 16 bytes, 1 block\nFrames: none\n"
      "Upload at 115200 bit/s: about 0.00 s on the line\n"
      "Frames as in the file; no shift.\n");
  // 1,000 blocks at 9600 bit/s: 18.75 s; 10,000: 187.5 s.
  EXPECT_EQ(ConversionReport(Titles(3), 16000, at9600, asTheyStand)[3],
            "Upload at 9600 bit/s: about 18.8 s on the line");
  EXPECT_EQ(ConversionReport(Titles(3), 160000, at9600, asTheyStand)[3],
            "Upload at 9600 bit/s: about 3 min 8 s on the line");
  // The window's Speed box may hold anything: the report says what is wrong with it.
  EXPECT_EQ(ConversionReport(Titles(1), 16, FromOperatorChoice("Com1", "fast"), asTheyStand)[3],
            FromOperatorChoice("Com1", "fast").problem + ": no time on the line");
}

TEST(ConversionReport, SaysWhatWasDoneWithTheTimesEachOnce) {
  TimingReport subRip;
  subRip.layout = TitleLayout::SubRip;
  subRip.displayRate = FrameRate{25, 1};
  TimingReport unknownFileRate;
  unknownFileRate.displayRate = FrameRate{25, 1};
  const LinkSettings link = FromOperatorChoice("Com1", "9600");
  const auto timing = [&](const TimingReport& report) {
    const std::vector<std::string> lines = ConversionReport(Titles(1), 16, link, report);
    return std::vector<std::string>(lines.begin() + 4, lines.end());
  };
  EXPECT_EQ(timing(subRip), std::vector<std::string>{"Times read at 25 frames a second."});
  EXPECT_EQ(
      timing(unknownFileRate),
      std::vector<std::string>{"Frames taken as they stand: the file's frame rate is not known."});
}

}  // namespace
}  // namespace marvek
