// The Options menu's choices: the shift as written, what makes timing unusable, what reaches the
// conversion, and how they are kept between runs.
#include "window/conversion_choices.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "window/choice_settings.h"

namespace marvek {
namespace {

TimingChoices Shift(const std::string& text, ShiftUnit unit) {
  TimingChoices timing;
  timing.shift = text;
  timing.shiftUnit = unit;
  return timing;
}

TEST(ShiftText, ReadsWholeFramesAndSecondsToTheThousandthExactly) {
  const auto frames = ParseShift(Shift("-48", ShiftUnit::Frames));
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->frames, -48);
  EXPECT_EQ(ParseShift(Shift("+120", ShiftUnit::Frames))->frames, 120);
  EXPECT_EQ(ParseShift(Shift("", ShiftUnit::Frames))->frames, 0);

  EXPECT_EQ(ParseShift(Shift("+2.5", ShiftUnit::Seconds))->milliseconds, 2500);
  EXPECT_EQ(ParseShift(Shift("-0.001", ShiftUnit::Seconds))->milliseconds, -1);
  EXPECT_EQ(ParseShift(Shift("90", ShiftUnit::Seconds))->milliseconds, 90000);
  EXPECT_EQ(ParseShift(Shift("3596400", ShiftUnit::Seconds))->milliseconds, 3596400000);

  for (const char* wrong : {"2.5", "+", "-", "1e3", "12a", "--1", "2147483648"}) {
    EXPECT_FALSE(ParseShift(Shift(wrong, ShiftUnit::Frames))) << wrong;
  }
  for (const char* wrong : {"1.2345", ".", "1..2", "3596400.001", "99999999999999999999"}) {
    EXPECT_FALSE(ParseShift(Shift(wrong, ShiftUnit::Seconds))) << wrong;
  }
  EXPECT_EQ(ParseShift(Shift("2147483647", ShiftUnit::Frames))->frames, 2147483647);
}

TEST(TimingChoicesCheck, NamesWhatCannotBeUsed) {
  TimingChoices timing;
  EXPECT_EQ(TimingProblem(timing), "");

  timing.displayRate = "0";
  EXPECT_EQ(TimingProblem(timing),
            "Display's frame rate: \"0\" is no frame rate; give frames a second above 0 and at "
            "most 1000, such as 25 or 23.976.");
  timing.displayRate = "25";
  timing.fileRate = "twenty";
  EXPECT_TRUE(TimingProblem(timing).starts_with("File's frame rate: \"twenty\" is no frame rate"));
  timing.fileRate = "23.976";
  EXPECT_EQ(TimingProblem(timing), "");

  // Seconds become frames at the display's rate, so without one they cannot be used; a shift
  // of nothing needs no rate.
  TimingChoices seconds = Shift("-2.5", ShiftUnit::Seconds);
  EXPECT_EQ(TimingProblem(seconds), "Shift: a shift in seconds needs the display's frame rate.");
  seconds.shift = "0";
  EXPECT_EQ(TimingProblem(seconds), "");
  seconds.shift = "-2.5";
  seconds.displayRate = "25";
  EXPECT_EQ(TimingProblem(seconds), "");
  seconds.shift = "1,5";
  EXPECT_EQ(TimingProblem(seconds),
            "Shift: \"1,5\" is no shift; give seconds with at most three decimals, such as -2.5 or "
            "+90.");
}

TEST(TimingChoicesCheck, ReachTheCoreAsItsOptions) {
  ConversionChoices choices;
  EXPECT_FALSE(ConversionOptionsFrom(choices).displayRate);
  EXPECT_FALSE(ConversionOptionsFrom(choices).repair);
  choices.repair = true;
  choices.timing = {
      .displayRate = "23.976", .fileRate = "25", .shift = "-2.5", .shiftUnit = ShiftUnit::Seconds};
  const ConversionOptions options = ConversionOptionsFrom(choices);
  ASSERT_TRUE(options.displayRate && options.fileRate);
  EXPECT_EQ(options.displayRate->numerator * 1000, 23976 * options.displayRate->denominator);
  EXPECT_EQ(options.fileRate->numerator, 25 * options.fileRate->denominator);
  EXPECT_TRUE(options.repair);
  // 2.5 s at 23.976 frames a second is 59.94 frames: 60 back.
  EXPECT_EQ(options.shift, -60);
}

class ChoiceSettingsTest : public ::testing::Test {
 protected:
  QTemporaryDir folder;
  QString file = folder.filePath(QStringLiteral("choices.conf"));
};

TEST_F(ChoiceSettingsTest, KeepsEveryChoiceBetweenRuns) {
  {
    QSettings fresh(file, QSettings::IniFormat);
    EXPECT_EQ(LoadChoices(fresh), ConversionChoices{});
  }
  ConversionChoices chosen;
  chosen.repair = true;
  chosen.timing = {"29.97", "23.976", "-2.5", ShiftUnit::Seconds};
  {
    QSettings settings(file, QSettings::IniFormat);
    SaveChoices(chosen, settings);
  }
  QSettings later(file, QSettings::IniFormat);
  EXPECT_EQ(LoadChoices(later), chosen);
}

TEST_F(ChoiceSettingsTest, StartsAfreshWhatCannotBeUsedAndKeepsTheRest) {
  {
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue("conversion/repair", true);
    settings.setValue("timing/displayRate", "fast");
    settings.setValue("timing/fileRate", "25");
    settings.setValue("timing/shift", "12");
    settings.setValue("timing/shiftUnit", "seconds");  // seconds, and no display rate left
  }
  QSettings settings(file, QSettings::IniFormat);
  const ConversionChoices loaded = LoadChoices(settings);
  EXPECT_TRUE(loaded.repair);
  EXPECT_EQ(loaded.timing.displayRate, "");
  EXPECT_EQ(loaded.timing.fileRate, "25");
  EXPECT_EQ(loaded.timing.shift, "");
  EXPECT_EQ(loaded.timing.shiftUnit, ShiftUnit::Frames);
  EXPECT_EQ(TimingProblem(loaded.timing), "");
}

}  // namespace
}  // namespace marvek
