// The rules that every timed source shares (DCP subtitles, ASS, WebVTT, a film's track), from its
// events to the titles the display reads back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/sources/event_titles.h"
#include "support/decoded_conversion.h"
#include "support/recording_panel.h"
#include "support/test_values.h"

namespace marvek {
namespace {

using Strings = std::vector<std::string>;

// An event from `start` to `end` milliseconds.
TimedEvent Event(std::int64_t start, std::int64_t end, std::string text, std::size_t line = 0) {
  return {{start, 1000}, {end, 1000}, std::move(text), line};
}

testing::DecodedConversion Convert(const TimedSource& source, ConversionOptions options = {}) {
  testing::RecordingPanel panel;
  return testing::Decoded(ConvertTimedSource(source, CharMode::DeviceCodes, panel, options));
}

TimedSource At25(std::vector<TimedEvent> events) {
  TimedSource source;
  source.events = std::move(events);
  source.frameRate = FrameRate{25, 1};
  source.rateOrigin = "the film";
  source.formatName = "ASS";
  return source;
}

Strings Shown(const testing::DecodedConversion& c) {
  Strings shown;
  for (const DecodedTitle& t : c.titles) {
    shown.push_back(std::to_string(t.start) + "-" + std::to_string(t.end) + " " + t.utf8);
  }
  return shown;
}

TEST(EventTitles, TrimsLinesOrdersByStartAndJoinsEventsOfTheSameTimes) {
  const TimedSource source = At25({
      Event(4000, 5000, "late"),
      Event(1000, 2000, " \tfirst speaker\t |  | second line "),
      Event(1000, 3000, "same start, longer"),
      Event(0, 400, " | \t "),  // nothing left: left out
      Event(1000, 2000, "second speaker"),
      Event(1000, 2000, "|third|"),
  });
  const testing::DecodedConversion c = Convert(source);
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  // The longer title waits on the display's clock for the one before it.
  EXPECT_EQ(Shown(c), (Strings{"25-50 first speaker|second line|second speaker|third",
                               "50-75 same start, longer", "100-125 late"}));
}

// Times become frames as SubRip times do: the nearest frame, halves up, exact at any rate.
TEST(EventTitles, TimesBecomeTheNearestFrameHalvesUp) {
  struct Case {
    SourceTime time;
    const char* rate;
    std::int64_t frame;
  };
  const Case cases[] = {
      {{1, 48}, "24", 1},                                 // half a frame goes to the later frame
      {{1, 49}, "24", 0},                                 // less than half stays
      {{1000, 1}, "23.976", 23976}, {{3, 250}, "25", 0},  // 12 ms: 0.3 frame
      {{-1, 1000}, "25", -1},                             // before 0 stays before frame 0
      {{-20, 1000}, "25", -1},                            // -0.5 frame
      {{-3, 100}, "25", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameOf(c.time, testing::Rate(c.rate)), c.frame)
        << c.time.count << "/" << c.time.perSecond << " at " << c.rate;
  }
  const FrameRate ntsc{24000, 1001};
  EXPECT_EQ(FrameOf({3600 * 1001, 1000}, ntsc), 86400);
}

TEST(EventTitles, TakesTheSourcesRateUnlessTheOperatorGivesOne) {
  TimedSource source = At25({Event(1000, 2000, "a", 3)});
  const testing::DecodedConversion own = Convert(source);
  EXPECT_EQ(Shown(own), Strings{"25-50 a"});
  EXPECT_EQ(own.result.rateFrom, "the film");
  ConversionOptions given;
  given.displayRate = FrameRate{50, 1};
  EXPECT_EQ(Shown(Convert(source, given)), Strings{"50-100 a"});
  EXPECT_EQ(Convert(source, given).result.rateFrom, "");

  source.frameRate.reset();
  const ConversionResult refused = Convert(source).result;
  EXPECT_EQ(refused.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(refused.fault, LineFault::TimesWithoutRate);
  EXPECT_EQ(refused.reason, "this is an ASS file, whose times need the display's frame rate");
  for (const auto& [name, article] : {std::pair{"WebVTT", "a "},
                                      {"SSA", "an "},
                                      {"MPsub", "an "},
                                      {"SAMI", "a "},
                                      {"SubViewer", "a "}}) {
    EXPECT_EQ(NeedsRateReason(name), std::string("this is ") + article + name +
                                         " file, whose times need the display's frame rate");
  }
}

// A time before 0 refuses the file; repair starts the title at 0, or leaves it out when it ends
// there, as it does in a brace file.
TEST(EventTitles, TimesBeforeZeroRefuseOrAreRepaired) {
  const TimedSource source = At25({Event(-500, 1000, "starts early", 7),
                                   Event(-900, -100, "gone", 9), Event(2000, 3000, "kept", 11)});
  const ConversionResult strict = Convert(source).result;
  EXPECT_EQ(strict.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(strict.lineNumber, 9u);  // the first in order of time
  EXPECT_EQ(strict.fault, LineFault::FrameBeforeZero);
  ConversionOptions repair;
  repair.repair = true;
  const testing::DecodedConversion repaired = Convert(source, repair);
  EXPECT_EQ(Shown(repaired), (Strings{"0-25 starts early", "50-75 kept"}));
  EXPECT_EQ(repaired.result.repairs.of(RepairKind::EndsAtOrBeforeZero).lines, 1u);
}

TEST(EventTitles, ASourceWithNoTitleLeftSaysWhatWasLeftOut) {
  struct Case {
    LeftOutEvents leftOut;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "no title in the file"},
      {{.drawings = 0, .comments = 0, .unreadableCues = 0, .pictures = 3},
       "no title in the file: its titles are pictures, not text"},
      {{.drawings = 1, .comments = 2, .unreadableCues = 1, .pictures = 0},
       "no title in the file; left out: 1 drawing, 2 comments, 1 cue whose timing cannot be read"},
      {{.drawings = 0, .comments = 1, .unreadableCues = 0, .pictures = 2},
       "no title in the file; left out: 1 comment, 2 titles that are pictures"},
  };
  for (const Case& c : cases) {
    TimedSource source = At25({Event(0, 1000, " ")});
    source.leftOut = c.leftOut;
    const ConversionResult refused = Convert(source).result;
    EXPECT_EQ(refused.outcome, ConversionOutcome::Incorrect);
    EXPECT_EQ(refused.fault, LineFault::NoTitle);
    EXPECT_EQ(refused.reason, c.reason);
  }
}

}  // namespace
}  // namespace marvek
