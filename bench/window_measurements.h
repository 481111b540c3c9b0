#pragma once

#include <string>

namespace marvek::bench {

// The window is shown on Qt's offscreen platform unless another is chosen.

// Median milliseconds of converting `path` with the real window as the panel.
double MeasureConversionWithWindow(const std::string& path, int runs);

// Processor seconds of one reply time-out in the window's wait (see MeasureIdleWait).
double MeasureIdleWaitInWindow();

}  // namespace marvek::bench
