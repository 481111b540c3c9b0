#include "titles_dialog_timing.h"

#include <QApplication>
#include <QEvent>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "measurements.h"
#include "offscreen_application.h"
#include "window/title_table_model.h"
#include "window/titles_dialog.h"
#include "window/titles_view.h"

namespace marvek::bench {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Notes when a widget has painted.
class PaintWatch : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

TitlesDialogFigures MeasureTitlesDialog(const std::string& path, int runs) {
  const OffscreenApplication application;

  TitlesDialogFigures figures;
  std::vector<double> opening;
  std::vector<double> searching;
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    QuietPanel quiet;
    auto view = std::make_shared<TitlesView>(ViewTitles(path, CharMode::DeviceCodes, {}, quiet));
    TitlesDialog dialog(view, "115200");
    if (!dialog.table()) return figures;  // the file was refused: nothing to measure
    PaintWatch watch;
    dialog.table()->viewport()->installEventFilter(&watch);
    dialog.show();
    while (!watch.painted && MsSince(start) < 60'000) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    opening.push_back(MsSince(start));

    const Clock::time_point searchStart = Clock::now();
    dialog.model()->Search(QStringLiteral("gospo"));
    searching.push_back(MsSince(searchStart));
    figures.titles = static_cast<int>(view->titles.size());
    figures.found = dialog.model()->rowCount();
  }
  figures.firstRowsMs = Median(opening);
  figures.searchMs = Median(searching);
  return figures;
}

}  // namespace marvek::bench
