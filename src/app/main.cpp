// The marvek program: opens the main window in the middle of the screen and runs it, with the
// title file named on the command line already chosen.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <cstdio>

#include "window/form1.h"
#include "window/window_arguments.h"

namespace {

void CentreOnScreen(QWidget& window) {
  window.adjustSize();
  const QRect screen = window.screen()->availableGeometry();
  window.move(screen.center() - window.rect().center());
}

// Prints the help or the version, or why the command line is refused; the exit status.
int AnswerWithoutWindow(const marvek::WindowArguments& arguments) {
  using Action = marvek::WindowArguments::Action;
  switch (arguments.action) {
    case Action::ShowHelp:
      std::fputs(marvek::WindowUsage().c_str(), stdout);
      return 0;
    case Action::ShowVersion:
      std::fputs(marvek::WindowVersion().c_str(), stdout);
      return 0;
    default:
      std::fprintf(stderr, "marvek: %s\nTry 'marvek --help' for more information.\n",
                   arguments.problem.c_str());
      return 2;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  using Action = marvek::WindowArguments::Action;
  // Help and version answer before the window toolkit starts, so they work without a display.
  const marvek::WindowArguments early = marvek::ReadWindowArguments(argc, argv);
  if (early.action == Action::ShowHelp || early.action == Action::ShowVersion) {
    return AnswerWithoutWindow(early);
  }

  // The toolkit takes its own options (-platform, -style, ...) out of argv; the rest is ours.
  QApplication app(argc, argv);
  const marvek::WindowArguments arguments = marvek::ReadWindowArguments(argc, argv);
  if (arguments.action != Action::OpenWindow) return AnswerWithoutWindow(arguments);

  QGuiApplication::setDesktopFileName(QStringLiteral("marvek"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/marvek.xpm")));
  marvek::Form1 window;
  // The file's name is kept as the bytes it was given in, as the open dialog's choice is.
  if (!arguments.titleFile.empty()) window.SelectTitleFile(arguments.titleFile);
  CentreOnScreen(window);
  window.show();
  return QApplication::exec();
}
