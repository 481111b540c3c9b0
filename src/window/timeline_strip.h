#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

#include "window/titles_view.h"

class QPainter;

namespace marvek {

// Every title as a bar along the film, in the colour of its notes. It paints only the part of
// the film in view, a pixel column at a time, so a million titles draw as fast as a hundred. The
// wheel zooms around the pointer (with Shift, or sideways, it moves along the film); a click on a
// bar, or within a few pixels of one, picks that title.
class TimelineStrip : public QWidget {
  Q_OBJECT

 public:
  explicit TimelineStrip(std::shared_ptr<const TitlesView> view, QWidget* parent = nullptr);

  // Marks `title` (-1: none) and moves the view to it when it lies outside.
  void SetSelectedTitle(long long title);
  // The title drawn at x, or the nearest within a few pixels; -1 for none.
  long long TitleAt(int x) const;

  // The frames in view: [first, first + span).
  std::int64_t firstFrame() const { return first_; }
  std::int64_t frameSpan() const { return span_; }
  void ShowFrames(std::int64_t first, std::int64_t span);

  QSize sizeHint() const override;

 signals:
  void TitleClicked(long long title);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The first frame of pixel column x.
  std::int64_t FrameOfColumn(int x) const;
  // The titles as bars coloured by their notes, the chosen title's outline, and the frames at
  // both ends of the view.
  void PaintBars(QPainter& painter) const;
  void PaintSelection(QPainter& painter) const;
  void PaintEndMarks(QPainter& painter) const;
  double ColumnOfFrame(std::int64_t frame) const;

  std::shared_ptr<const TitlesView> view_;
  std::int64_t filmEnd_ = 1;  // the last title's end, at least 1
  std::int64_t first_ = 0;
  std::int64_t span_ = 1;
  long long selected_ = -1;
};

}  // namespace marvek
