#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "convert/sources/film_tracks.h"

class QWidget;

namespace marvek {

// Asks the operator which title file to open. The window asks through this seam so that tests
// can answer in place of a dialog.
class TitleFileChooser {
 public:
  virtual ~TitleFileChooser() = default;

  // The full path of the chosen file, or an empty string when the operator cancels.
  virtual QString ChooseTitleFile(QWidget* parent) = 0;

  // Which of a film's text tracks to read, when it has more than one; the track's number, or
  // an empty string for the film's default track (also when the operator cancels).
  virtual QString ChooseFilmTrack(QWidget* parent, const std::vector<FilmTrack>& tracks);

  // A film to take the display's frame rate from; an empty string when the operator cancels.
  virtual QString ChooseFilm(QWidget* parent);
};

// The open dialog's filters, the first preselected: text files, subtitle files, films, DCP
// subtitles, ASS/SSA, WebVTT, and all title files together.
QStringList TitleFileFilters();

// The open dialog: text files preselected, subtitle files the other choice. It starts where
// the system's dialog starts, and offers the last chosen file again for the rest of the run.
class DialogTitleFileChooser : public TitleFileChooser {
 public:
  QString ChooseTitleFile(QWidget* parent) override;
  QString ChooseFilmTrack(QWidget* parent, const std::vector<FilmTrack>& tracks) override;
  QString ChooseFilm(QWidget* parent) override;

 private:
  QString lastChosen_;
};

}  // namespace marvek
