#include "window/title_file_chooser.h"

#include <QFileDialog>

namespace marvek {

QString DialogTitleFileChooser::ChooseTitleFile(QWidget* parent) {
  const QString textFiles = QStringLiteral("Text File (*.txt)");
  const QString subtitleFiles = QStringLiteral("Subtittle File (*.sub)");
  QString selectedFilter = textFiles;
  const QString chosen = QFileDialog::getOpenFileName(
      parent, QStringLiteral("Import Tittle File"), lastChosen_,
      textFiles + QStringLiteral(";;") + subtitleFiles, &selectedFilter);
  if (!chosen.isEmpty()) lastChosen_ = chosen;
  return chosen;
}

}  // namespace marvek
