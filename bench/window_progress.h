#pragma once

#include <string>

namespace marvek::bench {

// Median milliseconds of converting `path` with the real window as the panel, shown on Qt's
// offscreen platform unless another is chosen.
double MeasureConversionWithWindow(const std::string& path, int runs);

}  // namespace marvek::bench
