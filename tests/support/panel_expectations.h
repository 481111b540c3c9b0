#pragma once

#include <gtest/gtest.h>

#include "support/recording_panel.h"

namespace marvek::testing {

// Every Convert/Upload run begins by disabling the inputs and ends with the bar at 0 and the
// inputs enabled, whatever happened in between.
inline void ExpectFramedByInputs(const RecordingPanel& panel) {
  using Kind = RecordingPanel::Kind;
  ASSERT_GE(panel.events.size(), 3u);
  EXPECT_EQ(panel.events.front().kind, Kind::InputsEnabled);
  EXPECT_FALSE(panel.events.front().enabled);
  const auto& last = panel.events.back();
  const auto& beforeLast = panel.events[panel.events.size() - 2];
  EXPECT_EQ(last.kind, Kind::InputsEnabled);
  EXPECT_TRUE(last.enabled);
  EXPECT_EQ(beforeLast.kind, Kind::Progress);
  EXPECT_EQ(beforeLast.percent, 0.0f);
}

}  // namespace marvek::testing
