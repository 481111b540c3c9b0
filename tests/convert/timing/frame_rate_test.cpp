#include "convert/timing/frame_rate.h"
#include "support/test_values.h"

#include <gtest/gtest.h>

#include <string_view>

namespace marvek {
namespace {

using testing::Rate;

TEST(FrameRate, ReadsWholeAndDecimalRatesAndRefusesTheRest) {
  EXPECT_EQ(Rate("23.976").numerator, 23976);
  EXPECT_EQ(Rate("23.976").denominator, 1000);
  for (const char* bad :
       {"", ".", "0.000", "-25", "25fps", "2.5.0", "1000.5", "1.1234567", "99999999999999999999"}) {
    EXPECT_FALSE(ParseFrameRate(bad)) << bad;
  }
}

TEST(FrameRate, TakesTheNearestFrameAndRoundsHalvesUp) {
  const FrameRate pal = Rate("25");
  EXPECT_EQ(FrameAt(0, pal), 0);
  EXPECT_EQ(FrameAt(19, pal), 0);  // 0.475
  EXPECT_EQ(FrameAt(20, pal), 1);  // 0.5
  EXPECT_EQ(FrameAt(60, pal), 2);  // 1.5
  EXPECT_EQ(FrameAt(61'000, pal), 1525);
  // Exact halves at rates that a binary fraction cannot hold.
  EXPECT_EQ(FrameAt(50'000, Rate("29.97")), 1499);  // 1498.5
  const FrameRate film = Rate("23.976");
  EXPECT_EQ(FrameAt(1001, film), 24);                // 23.999976
  EXPECT_EQ(FrameAt(187'312'500, film), 4'491'005);  // 4491004.5, after 52 hours
  // The longest time a line of times can hold, at the highest rate, stays exact.
  EXPECT_EQ(FrameAt(999LL * 3'600'000 + 3'599'999, Rate("999.999999")), 3'599'999'995LL);
}

}  // namespace
}  // namespace marvek
