#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <functional>

namespace vellomar {

// When a description hint is due: once per resting place, after the mouse moved there and then
// stood still for more than kRestMs. No hint before the mouse first moved.
class DescHintRest {
 public:
  static constexpr qint64 kRestMs = 100;

  // cursor: where the mouse is now in the grid's viewport.
  explicit DescHintRest(std::function<QPoint()> cursor);
  DescHintRest(const DescHintRest&) = delete;
  DescHintRest& operator=(const DescHintRest&) = delete;

  // A move to pos; false when the mouse still stands where it stood, else a new resting place.
  bool moved(QPoint pos);
  // True once per resting place, when the rest is long enough and the mouse still stands there.
  bool due();
  QPoint place() const { return place_; }

  // Where the mouse is now, and a steady clock in milliseconds; tests put their own.
  std::function<QPoint()> cursorPosition;
  std::function<qint64()> tickCount;

 private:
  QElapsedTimer clock_;
  QPoint place_;
  qint64 movedAt_ = -1;  // none yet
  bool tried_ = false;
};

}  // namespace vellomar
