#pragma once

#include <QString>
#include <deque>

#include "window/title_file_chooser.h"

namespace marvek::testing {

// Answers the window's requests for a title file from a queue, as the operator would in the
// open dialog. An empty answer, or none left, is a cancel.
class ScriptedChooser : public TitleFileChooser {
 public:
  void Answer(const QString& path) { answers_.push_back(path); }
  void Cancel() { answers_.push_back(QString()); }
  int asked() const { return asked_; }
  // The answers to the questions of a film: its track, and a film to take the rate from.
  void AnswerTrack(const QString& track) { track_ = track; }
  void AnswerFilm(const QString& film) { film_ = film; }
  int tracksAsked() const { return tracksAsked_; }

  QString ChooseTitleFile(QWidget*) override {
    ++asked_;
    if (answers_.empty()) return {};
    const QString answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  QString ChooseFilmTrack(QWidget*, const std::vector<FilmTrack>&) override {
    ++tracksAsked_;
    return track_;
  }
  QString ChooseFilm(QWidget*) override { return film_; }

 private:
  std::deque<QString> answers_;
  int asked_ = 0;
  QString track_, film_;
  int tracksAsked_ = 0;
};

}  // namespace marvek::testing
