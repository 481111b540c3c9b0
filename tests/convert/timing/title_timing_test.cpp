#include "convert/timing/title_timing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "convert/timing/frame_rate.h"
#include "convert/timing/frame_retiming.h"
#include "convert/timing/timing_report.h"
#include "convert/timing/title_shift.h"
#include "support/test_values.h"

namespace marvek {
namespace {

using testing::Rate;

TEST(FrameRetiming, TakesTheNearestFrameOfTheDisplay) {
  const FrameRetiming film(Rate("23.976"), Rate("25"));  // × 3125 ÷ 2997
  EXPECT_EQ(film(0), 0);
  EXPECT_EQ(film(1), 1);
  EXPECT_EQ(film(12), 13);
  EXPECT_EQ(film(2997), 3125);
  EXPECT_EQ(film(1838), 1916);  // 1916.4998
  EXPECT_EQ(film(1159), 1209);  // 1208.5002
  EXPECT_EQ(film(2147483647), 2239201334);
  // Beyond 64-bit products: the same rounding, on the exact fraction.
  EXPECT_EQ(film(10'000'000'000'000'000), 10'427'093'760'427'094);
  EXPECT_EQ(film(-10'000'000'000'000'000), -10'427'093'760'427'094);

  const FrameRetiming slower(Rate("25"), Rate("24"));
  EXPECT_EQ(slower(12), 12);  // 11.52
  EXPECT_EQ(slower(13), 12);  // 12.48
  EXPECT_EQ(slower(25), 24);
  EXPECT_EQ(slower(2147483647), 2061584301);
  // Rates written differently but equal change nothing.
  const FrameRetiming same(Rate("25"), Rate("25.000"));
  EXPECT_EQ(same(2147483647), 2147483647);
  EXPECT_TRUE(SameFrameRate(Rate("25"), Rate("25.000")));
  EXPECT_FALSE(SameFrameRate(Rate("23.976"), Rate("24")));
}

TEST(FrameRetiming, RoundsHalvesToTheLaterFrameOnBothSidesOfZero) {
  const FrameRetiming faster(Rate("24"), Rate("25"));
  EXPECT_EQ(faster(12), 13);    // 12.5
  EXPECT_EQ(faster(36), 38);    // 37.5
  EXPECT_EQ(faster(-12), -12);  // -12.5
  EXPECT_EQ(faster(-13), -14);  // -13.54
  const FrameRetiming video(Rate("30"), Rate("25"));
  EXPECT_EQ(video(3), 3);    // 2.5
  EXPECT_EQ(video(-3), -2);  // -2.5
  // A frame no title file can hold stays at the end of the range rather than wrapping.
  EXPECT_EQ(faster(std::numeric_limits<std::int64_t>::max()),
            std::numeric_limits<std::int64_t>::max());
}

TEST(TitleShift, ReadsFramesAndSeconds) {
  std::string why;
  const auto frames = [&](std::string_view text) {
    const auto shift = ParseTitleShift(text, why);
    EXPECT_TRUE(shift && !shift->inSeconds) << text << ": " << why;
    return shift ? shift->frames : 0;
  };
  const auto milliseconds = [&](std::string_view text) {
    const auto shift = ParseTitleShift(text, why);
    EXPECT_TRUE(shift && shift->inSeconds) << text << ": " << why;
    return shift ? shift->milliseconds : 0;
  };
  EXPECT_EQ(frames("-48"), -48);
  EXPECT_EQ(frames("+120"), 120);
  EXPECT_EQ(frames(" 7 "), 7);
  EXPECT_EQ(frames("-2147483647"), -2147483647);
  EXPECT_EQ(milliseconds("-2.5s"), -2500);
  EXPECT_EQ(milliseconds("+90s"), 90'000);
  EXPECT_EQ(milliseconds("0.125s"), 125);
  EXPECT_EQ(milliseconds("+3596400s"), 3'596'400'000);  // 999 hours
  for (const char* bad : {"", "+", "-s", "s", "2.5", "1.s", ".5s", "1.2345s", "48f", "--48", "+-1",
                          "1 s", "2,5s", "0x10"}) {
    EXPECT_FALSE(ParseTitleShift(bad, why)) << bad;
    EXPECT_NE(why.find("is no shift"), std::string::npos) << bad << ": " << why;
  }
  for (const char* huge :
       {"2147483648", "-99999999999999999999999", "3596400.001s", "99999999999999999999999s"}) {
    EXPECT_FALSE(ParseTitleShift(huge, why)) << huge;
    EXPECT_NE(why.find("too large"), std::string::npos) << huge << ": " << why;
  }
}

TEST(TitleShift, SecondsBecomeFramesAtTheDisplaysRateOnly) {
  std::string why;
  const auto inFrames = [&](std::string_view text, std::optional<FrameRate> rate) {
    return ShiftInFrames(ParseTitleShift(text, why).value(), rate);
  };
  EXPECT_EQ(inFrames("-48", std::nullopt), -48);
  EXPECT_EQ(inFrames("+90s", Rate("23.976")), 2158);  // 2157.84
  // Half frames go away from 0, so that a shift and its opposite cancel out.
  EXPECT_EQ(inFrames("+2.5s", Rate("25")), 63);
  EXPECT_EQ(inFrames("-2.5s", Rate("25")), -63);
  EXPECT_FALSE(inFrames("-2.5s", std::nullopt));
}

TEST(TitleTiming, RetimesThenShiftsThenKeepsTitlesWithinTheFilm) {
  struct Case {
    std::int64_t start, end;
    TitleTiming::Outcome outcome;
    std::int64_t shiftedStart, shiftedEnd;
  };
  using Outcome = TitleTiming::Outcome;
  TitleTiming back(std::nullopt, -48);
  for (const Case& c : {Case{10, 40, Outcome::LeftOut, 0, 0}, Case{40, 48, Outcome::LeftOut, 0, 0},
                        Case{40, 60, Outcome::StartMoved, 0, 12}, Case{48, 49, Outcome::Kept, 0, 1},
                        Case{100, 150, Outcome::Kept, 52, 102}}) {
    std::int64_t start = c.start;
    std::int64_t end = c.end;
    EXPECT_EQ(back.Apply(start, end), c.outcome) << c.start;
    if (c.outcome != Outcome::LeftOut) {
      EXPECT_EQ(start, c.shiftedStart) << c.start;
      EXPECT_EQ(end, c.shiftedEnd) << c.start;
    }
  }
  EXPECT_EQ(back.leftOut(), 2u);
  EXPECT_EQ(back.startsMoved(), 1u);

  // The shift counts in the display's frames: it comes after retiming.
  TitleTiming retimed(FrameRetiming(Rate("25"), Rate("24")), 10);
  std::int64_t start = 25;
  std::int64_t end = 50;
  EXPECT_EQ(retimed.Apply(start, end), Outcome::Kept);
  EXPECT_EQ(start, 34);
  EXPECT_EQ(end, 58);

  // Without a shift a title at frame 0 stays, as it would without retiming.
  TitleTiming onlyRetimed(FrameRetiming(Rate("25"), Rate("24")), 0);
  start = end = 0;
  EXPECT_EQ(onlyRetimed.Apply(start, end), Outcome::Kept);

  // A shift of any size moves titles without wrapping round.
  TitleTiming far(std::nullopt, std::numeric_limits<std::int64_t>::max());
  start = 100;
  end = 200;
  EXPECT_EQ(far.Apply(start, end), Outcome::Kept);
  EXPECT_EQ(end, std::numeric_limits<std::int64_t>::max());
}

TEST(TitleTiming, TheFileRateGivenWinsOverTheFrameRateLine) {
  TimingReport report;
  // No rate of the file yet: nothing to do until its frame-rate line.
  TitleTiming timing = StartTiming(TitleLayout::Braces, Rate("25"), std::nullopt, 0, report);
  EXPECT_FALSE(timing.active());
  EXPECT_TRUE(UseFrameRateLine(Rate("23.976"), timing, report));
  std::int64_t start = 2997;
  std::int64_t end = 2997;
  timing.Apply(start, end);
  EXPECT_EQ(start, 3125);
  EXPECT_EQ(report.fileRateFrom, FileRateSource::FrameRateLine);

  // A rate given with the options stays, whatever the file says.
  timing = StartTiming(TitleLayout::Braces, Rate("25"), Rate("24"), 0, report);
  EXPECT_FALSE(UseFrameRateLine(Rate("23.976"), timing, report));
  EXPECT_EQ(FrameRateText(*report.fileRate), "24");
  EXPECT_TRUE(report.retimed);

  // Times in seconds are not retimed; a rate that is no rate counts as none.
  timing = StartTiming(TitleLayout::SubRip, Rate("25"), Rate("24"), 0, report);
  EXPECT_FALSE(timing.active());
  timing = StartTiming(TitleLayout::Braces, FrameRate{25, 0}, Rate("24"), 0, report);
  EXPECT_FALSE(timing.active());
  EXPECT_FALSE(report.displayRate);
}

TEST(TimingReport, SaysWhatWasDoneInWords) {
  TimingReport report;
  EXPECT_TRUE(TimingStatusLines(report).empty());
  EXPECT_EQ(FramesAsTheyStandLine(report), "");
  report.displayRate = Rate("25");
  EXPECT_EQ(FramesAsTheyStandLine(report),
            "Frames taken as they stand: the file's frame rate is not known.");
  report.fileRate = Rate("23.976");
  report.retimed = true;
  report.shift = -48;
  report.leftOut = 2;
  EXPECT_EQ(TimingStatusLines(report),
            (std::vector<std::string>{"Frames retimed from 23.976 to 25 frames a second.",
                                      "Titles shifted by -48 frames; 2 left out before the "
                                      "film's start."}));
  EXPECT_EQ(FramesAsTheyStandLine(report), "");

  report = TimingReport{};
  report.layout = TitleLayout::Mpl2;
  report.displayRate = Rate("25");
  report.shift = 1;
  report.startsMoved = 1;
  EXPECT_EQ(TimingStatusLines(report),
            (std::vector<std::string>{"Times read at 25 frames a second.",
                                      "Titles shifted by +1 frame; 1 now starts at frame 0."}));
}

TEST(FrameRate, PrintsBackAsWritten) {
  for (const char* text : {"23.976", "25", "29.97", "25.0", "0.000001", "1000", "999.999999"}) {
    EXPECT_EQ(FrameRateText(Rate(text)), text);
  }
  // A film's own rate, no decimal fraction, as films are spoken of.
  EXPECT_EQ(FrameRateText(FrameRate{30000, 1001}), "29.97");
  EXPECT_EQ(FrameRateText(FrameRate{24000, 1001}), "23.976");
  EXPECT_EQ(FrameRateText(FrameRate{24, 1}), "24");
}

}  // namespace
}  // namespace marvek
