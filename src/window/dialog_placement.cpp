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

QRect PlaceBeside(const QRect& window, QSize size, const QRect& screen) {
  size = size.boundedTo(screen.size());
  const QPoint candidates[] = {
      {window.right() + 1, window.top()},
      {window.left() - size.width(), window.top()},
      {window.left(), window.bottom() + 1},
      {window.left(), window.top() - size.height()},
  };
  QRect best;
  long long leastCovered = -1;
  for (const QPoint& corner : candidates) {
    const QRect place(corner, size);
    const QRect onScreen = OntoScreen(place, screen);
    const long long covered = Covered(window, onScreen);
    if (onScreen == place && covered == 0) return place;
    if (leastCovered < 0 || covered < leastCovered) {
      best = onScreen;
      leastCovered = covered;
    }
  }
  return best;
}

void ShowBeside(QDialog* dialog, const QWidget* window, QSize wider, QSettings& settings,
                const char* key) {
  const QRect screen = ScreenRoom(window);
  const QRect frame = window->frameGeometry();
  const QSize frameExtra = frame.size() - window->size();
  if (dialog->restoreGeometry(settings.value(key).toByteArray()) &&
      Covered(frame, WithFrame(dialog->geometry(), window)) == 0) {
    dialog->show();
  } else {
    // Wider where that covers no more of the window than the dialog's own size does.
    QRect place = PlaceBeside(frame, dialog->size() + frameExtra, screen);
    const QRect widePlace = PlaceBeside(frame, wider + frameExtra, screen);
    if (Covered(frame, widePlace) <= Covered(frame, place)) place = widePlace;
    dialog->resize(place.size() - frameExtra);
    dialog->move(place.topLeft());  // move() places the frame's corner
    dialog->show();
  }
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, &settings, key] {
    settings.setValue(key, dialog->saveGeometry());
    settings.sync();
  });
}

}  // namespace marvek
