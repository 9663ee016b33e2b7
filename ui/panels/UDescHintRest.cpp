#include "ui/panels/UDescHintRest.h"

#include <utility>

namespace vellomar {

DescHintRest::DescHintRest(std::function<QPoint()> cursor) : cursorPosition(std::move(cursor)) {
  clock_.start();
  tickCount = [this] { return clock_.elapsed(); };
}

bool DescHintRest::moved(QPoint pos) {
  if (pos == place_) return false;
  tried_ = false;
  place_ = pos;
  movedAt_ = tickCount();
  return true;
}

bool DescHintRest::due() {
  if (tried_ || movedAt_ < 0 || tickCount() - movedAt_ <= kRestMs) return false;
  if (cursorPosition() != place_) return false;
  tried_ = true;
  return true;
}

}  // namespace vellomar
