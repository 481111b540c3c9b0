#include "in_turn.h"

#include <time.h>

#include <algorithm>
#include <chrono>

namespace marvek::bench {
namespace {

double ThreadProcessorMs() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void KeepBest(Timed& best, const Timed& run) {
  best.processorMs = std::min(best.processorMs, run.processorMs);
  best.wallMs = std::min(best.wallMs, run.wallMs);
}

}  // namespace

Timed TimeOnThisThread(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const double processorStart = ThreadProcessorMs();
  work();
  const double processorMs = ThreadProcessorMs() - processorStart;
  return {
      processorMs,
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count()};
}

Duel BestInTurn(int runs, const std::function<Timed()>& first,
                const std::function<Timed()>& second) {
  first();  // the warm-up, not counted
  second();
  constexpr double kNone = 1e300;
  Duel duel{{kNone, kNone}, {kNone, kNone}};
  for (int i = 0; i < runs; ++i) {
    KeepBest(duel.first, first());
    KeepBest(duel.second, second());
  }
  return duel;
}

}  // namespace marvek::bench
