#pragma once

#include <functional>

#include "foundation/UExceptions.h"

namespace vellomar::testing {

// The damage code a read raises, 0 when it raises none.
inline int damageOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const EKstvDBaseStructException& e) {
    return e.code();
  }
  return 0;
}

}  // namespace vellomar::testing
