// The marvek program: opens the main window in the middle of the screen and runs it.
#include <QApplication>
#include <QIcon>
#include <QScreen>

#include "window/form1.h"

namespace {

void CentreOnScreen(QWidget& window) {
  window.adjustSize();
  const QRect screen = window.screen()->availableGeometry();
  window.move(screen.center() - window.rect().center());
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("marvek"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/marvek.xpm")));
  marvek::Form1 window;
  CentreOnScreen(window);
  window.show();
  return QApplication::exec();
}
