#pragma once

#include <QRect>
#include <QSize>

class QDialog;
class QSettings;
class QWidget;

namespace marvek {

// Where a window of `size` goes beside `window` (both with their frames) on `screen` (its room
// for windows): right of it, else left of it, else below, else above, the first where it fits
// whole on the screen without covering the window; where none does, the one that covers the
// least of the window, moved onto the screen. A size larger than the screen is cut to it.
QRect PlaceBeside(const QRect& window, QSize size, const QRect& screen);

// Shows `dialog` without a loop of its own beside `window`, at the size and place it had when it
// last closed (kept in `settings` under `key`) as long as that leaves the window uncovered.
// `wider` is a size to prefer over the dialog's own where the screen has room beside the window.
void ShowBeside(QDialog* dialog, const QWidget* window, QSize wider, QSettings& settings,
                const char* key);

}  // namespace marvek
