#pragma once

#include <string>

#include "in_turn.h"

namespace marvek::bench {

// The window is shown on Qt's offscreen platform unless another is chosen.

// Converting `path` with the real window as the panel against a panel that does nothing, in turn.
Duel MeasureConversionWithWindow(const std::string& path, int runs);

// Processor seconds of one reply time-out in the window's wait (see MeasureIdleWait).
double MeasureIdleWaitInWindow();

}  // namespace marvek::bench
