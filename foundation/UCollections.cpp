#include "foundation/UCollections.h"

namespace vellomar {

void throwListIndexError() {
  throw EKstvFatalException("Internal problem in list indexing.");
}

void throwListTooLarge() {
  throw EKstvFatalException("Too large list or not enough memory.");
}

}  // namespace vellomar
