#include "modules/filterkit/TextSource.h"

#include <cstring>

namespace vellomar {

void TextSource::fill(size_t n) {
  while (inputLeft_ && writer_.pending() < n) inputLeft_ = convert();
}

size_t TextSource::read(uint8_t* out, size_t capacity) {
  // One byte more than asked shows whether the character at the cut is whole.
  fill(capacity + 1);
  const size_t n = utf8PrefixLength(writer_.data(), capacity, writer_.pending());
  std::memcpy(out, writer_.data(), n);
  writer_.take(n);
  return n;
}

bool TextSource::finished() {
  fill(1);
  return writer_.pending() == 0;
}

}  // namespace vellomar
