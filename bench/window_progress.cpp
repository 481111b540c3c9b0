#include "window_progress.h"

#include <QApplication>
#include <cstdlib>

#include "measurements.h"
#include "window/form1.h"

namespace marvek::bench {

double MeasureConversionWithWindow(const std::string& path, int runs) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char name[] = "marvek_bench";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  Form1 window;
  window.show();
  QApplication::processEvents();
  return MeasureConversionWith(path, window, runs);
}

}  // namespace marvek::bench
