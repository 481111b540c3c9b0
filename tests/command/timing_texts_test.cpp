// The operator's timing texts, as both faces hand them to the core: what reaches the conversion,
// and the one reason each refusal gives.
#include "command/timing_texts.h"

#include <gtest/gtest.h>

#include "support/test_values.h"

namespace marvek {
namespace {

using testing::Rate;

std::string TextOf(const std::optional<FrameRate>& rate) {
  return rate ? FrameRateText(*rate) : "none";
}

TEST(TimingTexts, BecomeTheConversionsOptionsOrTheFirstTextsRefusal) {
  const std::optional<FrameRate> none;
  struct Case {
    TimingTexts texts;
    std::optional<FrameRate> displayRate;
    std::optional<FrameRate> fileRate;
    std::int64_t shift;
    std::optional<TimingText> refused;  // the text refused, when one is
    std::string reason;
  };
  const Case cases[] = {
      {{}, none, none, 0, {}, ""},
      {{.displayRate = "23.976", .fileRate = "25", .shift = "-48"},
       Rate("23.976"),
       Rate("25"),
       -48,
       {},
       ""},
      // Seconds become frames at the display's rate, a half frame away from 0.
      {{"25", "", "-2.5s", ShiftUnit::InText}, Rate("25"), none, -63, {}, ""},
      {{"25", "", "-2.5", ShiftUnit::Seconds}, Rate("25"), none, -63, {}, ""},
      // No shift needs no rate, however it is written.
      {{"", "", "0", ShiftUnit::Seconds}, none, none, 0, {}, ""},
      {{"0", "25", "+7"},
       none,
       Rate("25"),
       7,
       TimingText::DisplayRate,
       "\"0\" is no frame rate; give frames a second above 0 and at most 1000, such as 25 or "
       "23.976"},
      {{"25", "twenty", "x"},
       Rate("25"),
       none,
       0,
       TimingText::FileRate,
       "\"twenty\" is no frame rate; give frames a second above 0 and at most 1000, such as 25 "
       "or 23.976"},
      {{"", "", "-2s", ShiftUnit::InText},
       none,
       none,
       0,
       TimingText::Shift,
       "a shift in seconds needs the display's frame rate"},
      {{"", "", "2.5", ShiftUnit::InText},
       none,
       none,
       0,
       TimingText::Shift,
       "\"2.5\" is no shift; give whole frames, such as -48 or +120, or seconds, such as -2.5s"},
      // With its unit chosen beside the field, the text is a number alone.
      {{"", "", "2s", ShiftUnit::Frames},
       none,
       none,
       0,
       TimingText::Shift,
       "\"2s\" is no shift; give whole frames, such as -48 or +120"},
      {{"25", "", "1,5", ShiftUnit::Seconds},
       Rate("25"),
       none,
       0,
       TimingText::Shift,
       "\"1,5\" is no shift; give seconds with at most three decimals, such as -2.5 or +90"},
      {{"", "", "2147483648"},
       none,
       none,
       0,
       TimingText::Shift,
       "\"2147483648\" is too large a shift; at most 2147483647 frames or 999 hours"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texts.displayRate + " | " + c.texts.fileRate + " | " + c.texts.shift);
    const TimedOptions timed = WithTimingTexts(c.texts, {.repair = true});
    EXPECT_TRUE(timed.options.repair);
    EXPECT_EQ(TextOf(timed.options.displayRate), TextOf(c.displayRate));
    EXPECT_EQ(TextOf(timed.options.fileRate), TextOf(c.fileRate));
    EXPECT_EQ(timed.options.shift, c.shift);
    ASSERT_EQ(timed.refusal.has_value(), c.refused.has_value());
    if (!c.refused) continue;
    EXPECT_EQ(timed.refusal->text, *c.refused);
    EXPECT_EQ(timed.refusal->reason, c.reason);
    EXPECT_EQ(timed.refusal->needsDisplayRate, c.reason.starts_with("a shift in seconds"));
  }
}

}  // namespace
}  // namespace marvek
