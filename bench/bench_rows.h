#pragma once

#include <span>

#include "bench_figures.h"
#include "report.h"

namespace marvek::bench {

// One row of the table and how it is made; `announce`, when not null, is told on the standard
// error before the row is measured, so that a long run shows where it is. `network`: the row is
// also the yardstick of the rows of a display served over the network.
struct RowMaker {
  const char* announce;
  Row (*make)(Bench& bench);
  bool network = false;
};

// Every row of the table, in order.
extern const std::span<const RowMaker> kRowMakers;

}  // namespace marvek::bench
