#pragma once

#include <QColor>
#include <QWidget>

namespace vellomar {

// The round gauge of the progress windows: the share done as a pie slice in the window's
// colour, clockwise from twelve o'clock, with the percentage in the middle.
class TPieGauge : public QWidget {
  Q_OBJECT
 public:
  explicit TPieGauge(QColor color, QWidget* parent = nullptr);

  int Progress() const { return progress_; }
  // Clamped to 0..100; repaints only on a change.
  void SetProgress(int percent);
  QColor color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_;
  int progress_ = 0;
};

}  // namespace vellomar
