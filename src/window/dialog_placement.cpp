#include "window/dialog_placement.h"

#include <QDialog>
#include <QScreen>
#include <QSettings>
#include <algorithm>

namespace marvek {
namespace {

long long Covered(const QRect& window, const QRect& place) {
  const QRect both = window.intersected(place);
  return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

// `place` moved the least that puts it whole on `screen`, which it is no larger than.
QRect OntoScreen(QRect place, const QRect& screen) {
  place.moveLeft(std::clamp(place.left(), screen.left(), screen.right() - place.width() + 1));
  place.moveTop(std::clamp(place.top(), screen.top(), screen.bottom() - place.height() + 1));
  return place;
}

// The least height a dialog placed beside a window is given where the screen is short of room.
constexpr int kLeastHeight = 360;

// The room for windows on the screen `window` is on.
QRect ScreenRoom(const QWidget* window) {
  const QScreen* screen = window->screen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The dialog's frame at `place` for its inside, on a desktop that frames windows as `window`.
QRect WithFrame(const QRect& inside, const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  return inside.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
}

}  // namespace

QRect PlaceBeside(const QRect& window, QSize size, QSize least, const QRect& screen) {
  size = size.boundedTo(screen.size());
  least = least.boundedTo(size);
  // Right and left the dialog may be as narrow as `least`, below and above as low.
  const int right = std::min(size.width(), screen.right() - window.right());
  if (right >= least.width()) {
    return OntoScreen({window.right() + 1, window.top(), right, size.height()}, screen);
  }
  const int left = std::min(size.width(), window.left() - screen.left());
  if (left >= least.width()) {
    return OntoScreen({window.left() - left, window.top(), left, size.height()}, screen);
  }
  const int below = std::min(size.height(), screen.bottom() - window.bottom());
  if (below >= least.height()) {
    return OntoScreen({window.left(), window.bottom() + 1, size.width(), below}, screen);
  }
  const int above = std::min(size.height(), window.top() - screen.top());
  if (above >= least.height()) {
    return OntoScreen({window.left(), window.top() - above, size.width(), above}, screen);
  }
  // No room beside it: at its full size, wherever it covers the least of the window.
  const QPoint corners[] = {
      {window.right() + 1, window.top()},
      {window.left() - size.width(), window.top()},
      {window.left(), window.bottom() + 1},
      {window.left(), window.top() - size.height()},
  };
  QRect best;
  for (const QPoint& corner : corners) {
    const QRect place = OntoScreen({corner, size}, screen);
    if (best.isNull() || Covered(window, place) < Covered(window, best)) best = place;
  }
  return best;
}

void ShowBeside(QDialog* dialog, const QWidget* window, QSize wider, QSettings& settings,
                const char* key) {
  const QRect screen = ScreenRoom(window);
  const QRect frame = window->frameGeometry();
  const QSize frameExtra = frame.size() - window->size();
  // The opening size is the least that shows what the dialog must; the height may give way.
  const QSize least(dialog->width(), std::min(dialog->height(), kLeastHeight));
  wider = wider.expandedTo(dialog->size());
  if (dialog->restoreGeometry(settings.value(key).toByteArray())) wider = dialog->size();
  if (Covered(frame, WithFrame(dialog->geometry(), window)) != 0 ||
      !dialog->testAttribute(Qt::WA_Moved)) {
    const QRect place = PlaceBeside(frame, wider + frameExtra, least + frameExtra, screen);
    dialog->resize(place.size() - frameExtra);
    dialog->move(place.topLeft());  // move() places the frame's corner
  }
  dialog->show();
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, &settings, key] {
    settings.setValue(key, dialog->saveGeometry());
    settings.sync();
  });
}

}  // namespace marvek
