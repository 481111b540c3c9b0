#include "window/timeline_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "window/film_time.h"
#include "window/title_notes.h"

namespace marvek {
namespace {

constexpr int kBarsHeight = 22;
constexpr int kPickDistance = 4;         // pixels around a bar that still pick it
constexpr std::int64_t kLeastSpan = 20;  // frames in view at the closest zoom
constexpr double kZoomStep = 1.25;       // per notch of the wheel

// Where a title's bar ends: a title of no frames still gets one, so that it shows.
std::int64_t BarEnd(const ImageRecord& record) {
  return std::max(record.end, record.start + 1);
}

// The first title whose bar ends after `frame`. Titles follow each other on the display's clock,
// so bar ends never fall and a binary search finds it.
std::size_t FirstEndingAfter(const std::vector<ImageRecord>& titles, std::int64_t frame) {
  return static_cast<std::size_t>(
      std::partition_point(titles.begin(), titles.end(),
                           [frame](const ImageRecord& r) { return BarEnd(r) <= frame; }) -
      titles.begin());
}

}  // namespace

TimelineStrip::TimelineStrip(std::shared_ptr<const TitlesView> view, QWidget* parent)
    : QWidget(parent), view_(std::move(view)) {
  setObjectName(QStringLiteral("Timeline"));
  if (!view_->titles.empty()) filmEnd_ = std::max<std::int64_t>(1, BarEnd(view_->titles.back()));
  span_ = filmEnd_;
  setMinimumHeight(kBarsHeight + fontMetrics().height() + 6);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setToolTip(
      QStringLiteral("Click a title to show its row. The wheel zooms; with Shift it moves "
                     "along the film."));
}

QSize TimelineStrip::sizeHint() const {
  return {600, minimumHeight()};
}

void TimelineStrip::ShowFrames(std::int64_t first, std::int64_t span) {
  span_ = std::clamp<std::int64_t>(span, std::min(kLeastSpan, filmEnd_), filmEnd_);
  first_ = std::clamp<std::int64_t>(first, 0, filmEnd_ - span_);
  update();
}

std::int64_t TimelineStrip::FrameOfColumn(int x) const {
  const int w = std::max(1, width());
  return first_ + static_cast<std::int64_t>(static_cast<double>(span_) * x / w);
}

double TimelineStrip::ColumnOfFrame(std::int64_t frame) const {
  return static_cast<double>(frame - first_) * std::max(1, width()) / static_cast<double>(span_);
}

void TimelineStrip::SetSelectedTitle(long long title) {
  selected_ = title;
  if (title >= 0 && static_cast<std::size_t>(title) < view_->titles.size()) {
    const ImageRecord& record = view_->titles[static_cast<std::size_t>(title)];
    if (BarEnd(record) <= first_ || record.start >= first_ + span_) {
      ShowFrames(record.start - span_ / 2, span_);
    }
  }
  update();
}

void TimelineStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  PaintBars(painter);
  PaintSelection(painter);
  PaintEndMarks(painter);
}

void TimelineStrip::PaintBars(QPainter& painter) const {
  const std::vector<ImageRecord>& titles = view_->titles;
  const int w = width();
  // One pass along the titles in view: each pixel column takes the colour of the titles that
  // fall in it, runs of one colour are drawn as one rectangle.
  std::size_t next = FirstEndingAfter(titles, FrameOfColumn(0));
  int runStart = 0;
  QColor runColour;
  bool runDrawn = false;
  const auto endRun = [&](int x) {
    if (runDrawn && x > runStart)
      painter.fillRect(runStart, 2, x - runStart, kBarsHeight - 4, runColour);
  };
  for (int x = 0; x < w; ++x) {
    const std::int64_t from = FrameOfColumn(x);
    const std::int64_t to = std::max(from + 1, FrameOfColumn(x + 1));
    while (next < titles.size() && BarEnd(titles[next]) <= from) ++next;
    bool any = false;
    std::uint8_t notes = 0;
    for (std::size_t t = next; t < titles.size() && titles[t].start < to; ++t) {
      any = true;
      notes |= view_->Notes(t);
    }
    const QColor colour = any ? TitleColour(notes) : QColor();
    if (any != runDrawn || (any && colour != runColour)) {
      endRun(x);
      runStart = x;
      runDrawn = any;
      runColour = colour;
    }
  }
  endRun(w);
}

void TimelineStrip::PaintSelection(QPainter& painter) const {
  const std::vector<ImageRecord>& titles = view_->titles;
  if (selected_ >= 0 && static_cast<std::size_t>(selected_) < titles.size()) {
    const ImageRecord& record = titles[static_cast<std::size_t>(selected_)];
    const double left = ColumnOfFrame(record.start);
    const double right = std::max(left + 1, ColumnOfFrame(BarEnd(record)));
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    painter.drawRect(QRectF(left - 1, 1, right - left + 2, kBarsHeight - 2));
  }
}

void TimelineStrip::PaintEndMarks(QPainter& painter) const {
  // The frames at both ends of the view, with their times when the display's rate is known.
  const auto mark = [this](std::int64_t frame) {
    QString text = QString::number(frame);
    if (view_->displayRate) {
      text += QStringLiteral(" (") + QString::fromStdString(FilmTime(frame, *view_->displayRate)) +
              QStringLiteral(")");
    }
    return text;
  };
  painter.setPen(palette().color(QPalette::Text));
  const QRect labels(2, kBarsHeight, width() - 4, height() - kBarsHeight);
  painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, mark(first_));
  painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, mark(first_ + span_));
}

long long TimelineStrip::TitleAt(int x) const {
  const std::vector<ImageRecord>& titles = view_->titles;
  if (titles.empty()) return -1;
  const std::int64_t from = FrameOfColumn(x);
  const std::int64_t to = std::max(from + 1, FrameOfColumn(x + 1));
  const std::size_t after = FirstEndingAfter(titles, from);
  if (after < titles.size() && titles[after].start < to) return static_cast<long long>(after);
  // Nothing under the pointer: the nearest bar on either side, if it is close enough.
  long long best = -1;
  double bestDistance = kPickDistance + 1;
  if (after < titles.size()) {
    const double distance = ColumnOfFrame(titles[after].start) - x;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<long long>(after);
    }
  }
  if (after > 0) {
    const double distance = x - ColumnOfFrame(BarEnd(titles[after - 1])) + 1;
    if (distance < bestDistance) best = static_cast<long long>(after - 1);
  }
  return best;
}

void TimelineStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const long long title = TitleAt(static_cast<int>(event->position().x()));
  if (title >= 0) emit TitleClicked(title);
}

void TimelineStrip::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  const bool along = (event->modifiers() & Qt::ShiftModifier) || angle.x() != 0;
  const double notches = (angle.x() != 0 ? angle.x() : angle.y()) / 120.0;
  if (along) {
    // A notch moves a tenth of the view.
    ShowFrames(first_ - static_cast<std::int64_t>(notches * static_cast<double>(span_) / 10),
               span_);
  } else {
    const int x = static_cast<int>(event->position().x());
    const std::int64_t pointed = FrameOfColumn(x);
    const auto span =
        static_cast<std::int64_t>(static_cast<double>(span_) * std::pow(kZoomStep, -notches));
    const auto left =
        static_cast<std::int64_t>(static_cast<double>(span) * x / std::max(1, width()));
    ShowFrames(pointed - left, span);
  }
  event->accept();
}

}  // namespace marvek
