#include "window_measurements.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "measurements.h"
#include "offscreen_application.h"
#include "window/form1.h"

namespace marvek::bench {

namespace {

// Runs `measure` with the window shown and its first events handled.
template <typename Measure>
double WithWindow(Measure measure) {
  const OffscreenApplication application;
  Form1 window;
  window.show();
  // The window's first layout and paint are done before anything is measured.
  QEventLoop settle;
  QTimer::singleShot(200, &settle, &QEventLoop::quit);
  settle.exec();
  return measure(window);
}

}  // namespace

Duel MeasureConversionWithWindow(const std::string& path, int runs) {
  Duel duel;
  WithWindow([&](Form1& window) {
    QuietPanel quiet;
    duel = BestInTurn(
        runs, [&] { return ConvertOnce(path, window); }, [&] { return ConvertOnce(path, quiet); });
    return 0.0;
  });
  return duel;
}

double MeasureIdleWaitInWindow() {
  return WithWindow([](Form1& window) { return MeasureIdleWait(window); });
}

}  // namespace marvek::bench
