#pragma once

#include <QRect>
#include <QSize>

class QDialog;
class QSettings;
class QWidget;

namespace marvek {

// Where a window of `size` goes beside `window` (both with their frames) on `screen` (its room
// for windows): right of it, else left of it, else below, else above, the first side with room
// for it at least `least` wide (right, left) or high (below, above), and as much of `size` as
// the room allows. Where no side has that room, at `size` where it covers the least of the
// window. Always whole on the screen: a size larger than the screen is cut to it.
QRect PlaceBeside(const QRect& window, QSize size, QSize least, const QRect& screen);

// Shows `dialog` without a loop of its own beside `window`, at the size and place it had when it
// last closed (kept in `settings` under `key`) as long as that leaves the window uncovered, and
// at that size as far as the room beside the window allows otherwise. The dialog's own size is
// the least it takes where there is room; `wider` the size it prefers.
void ShowBeside(QDialog* dialog, const QWidget* window, QSize wider, QSettings& settings,
                const char* key);

}  // namespace marvek
