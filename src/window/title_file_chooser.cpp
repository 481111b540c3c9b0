#include "window/title_file_chooser.h"

#include <QFileDialog>
#include <QInputDialog>

namespace marvek {
namespace {

const QString kFilms = QStringLiteral("Films (*.mkv *.mp4 *.mov *.webm *.avi *.ts)");

}  // namespace

QStringList TitleFileFilters() {
  return {QStringLiteral("Text File (*.txt)"),
          QStringLiteral("Subtittle File (*.sub)"),
          kFilms,
          QStringLiteral("DCP subtitles (*.xml)"),
          QStringLiteral("ASS/SSA (*.ass *.ssa)"),
          QStringLiteral("WebVTT (*.vtt)"),
          QStringLiteral("All title files (*.txt *.sub *.srt *.mpl *.ass *.ssa *.vtt *.smi *.sami "
                         "*.xml ASSETMAP *.mkv *.mp4 *.mov *.webm *.avi *.ts)")};
}

QString TitleFileChooser::ChooseFilmTrack(QWidget*, const std::vector<FilmTrack>&) {
  return {};
}

QString TitleFileChooser::ChooseFilm(QWidget*) {
  return {};
}

QString DialogTitleFileChooser::ChooseTitleFile(QWidget* parent) {
  const QStringList filters = TitleFileFilters();
  QString selectedFilter = filters.front();
  const QString chosen =
      QFileDialog::getOpenFileName(parent, QStringLiteral("Import Tittle File"), lastChosen_,
                                   filters.join(QStringLiteral(";;")), &selectedFilter);
  if (!chosen.isEmpty()) lastChosen_ = chosen;
  return chosen;
}

QString DialogTitleFileChooser::ChooseFilmTrack(QWidget* parent,
                                                const std::vector<FilmTrack>& tracks) {
  QStringList items;
  int preselected = 0;
  for (const FilmTrack& track : tracks) {
    if (!track.isText) continue;
    if (track.isDefault) preselected = static_cast<int>(items.size());
    items.append(QString::fromStdString(FilmTrackLine(track))
                     .replace(QLatin1Char('\t'), QStringLiteral("  ")));
  }
  bool ok = false;
  const QString item =
      QInputDialog::getItem(parent, QStringLiteral("Film's titles"),
                            QStringLiteral("The film has several title tracks. Read which?"), items,
                            preselected, false, &ok);
  if (!ok) return {};
  return item.section(QLatin1Char(' '), 0, 0);
}

QString DialogTitleFileChooser::ChooseFilm(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Film"), lastChosen_, kFilms);
}

}  // namespace marvek
