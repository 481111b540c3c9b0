#pragma once

#include <string>
#include <vector>

namespace marvek::bench {

// One line of the benchmark table: a measured figure and the limit it is held against.
struct Row {
  std::string name;  // what was measured
  double value = 0;  // the figure
  std::string unit;  // "ms", "MB/s", "x", ...
  double limit = 0;  // the target; 0 when the row only informs
  bool lowerIsBetter = true;
  std::string detail;  // how it was measured, in a few words

  bool HasTarget() const { return limit > 0; }
  bool Met() const { return !HasTarget() || (lowerIsBetter ? value <= limit : value >= limit); }
};

// The machine the figures come from, in one line.
std::string DescribeMachine();

void PrintTable(const std::vector<Row>& rows, const std::string& machine);
void PrintJson(const std::vector<Row>& rows, const std::string& machine);

}  // namespace marvek::bench
