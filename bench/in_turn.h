#pragma once

#include <functional>

namespace marvek::bench {

// The time of one run: the processor time it took (user + system), which other programs on a
// shared machine barely touch, and the time on the clock, which they stretch.
struct Timed {
  double processorMs = 0;
  double wallMs = 0;
};

// Times `work` on the calling thread.
Timed TimeOnThisThread(const std::function<void()>& work);

// The best of each side of a comparison.
struct Duel {
  Timed first;
  Timed second;
  // first / second, in processor time: the figure that two runs of the benchmark agree on.
  double Ratio() const { return first.processorMs / second.processorMs; }
};

// Runs `first` and `second` in turn `runs` times each, after one run of each that is not counted
// (it brings the file into the page cache and the code into the processor's caches), and keeps
// each side's shortest times. Other programs only ever add to a run's time, so the shortest is
// the one they disturbed least, and taking the two in turn gives both the same conditions.
Duel BestInTurn(int runs, const std::function<Timed()>& first,
                const std::function<Timed()>& second);

}  // namespace marvek::bench
