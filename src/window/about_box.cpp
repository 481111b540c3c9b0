#include "window/about_box.h"

#include <QMessageBox>

#include "shared/version.h"

namespace marvek {

void ShowAboutBox(QWidget* parent) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Marvek Converter/Uploader"),
                  QStringLiteral("Marvek Converter/Uploader, version " MARVEK_VERSION "\n\n"
                                 "Converts frame-numbered title files into the title image of "
                                 "the Marvek title display and uploads it over a serial line.\n\n"
                                 "Written and kept by the Marvek developers."),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace marvek
