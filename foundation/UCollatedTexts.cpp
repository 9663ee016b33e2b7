#include "foundation/UCollatedTexts.h"

#include <limits>
#include <stdexcept>

#include "platform/PText.h"

namespace vellomar {

uint32_t CollatedTexts::add(std::string_view first, std::string_view second) {
  const size_t length = first.size() + second.size();
  // The text and a key no longer than it.
  if (length > std::numeric_limits<uint16_t>::max() ||
      bytes_.size() + 2 * length > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("texts too long to collate");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  Text& kept = texts_.emplace_back();
  kept.at = static_cast<uint32_t>(bytes_.size());
  kept.length = static_cast<uint16_t>(length);
  bytes_.append(first).append(second);
  kept.ascii = asciiCollationKey(std::string_view(bytes_).substr(kept.at), key_);
  kept.prefix = 0;
  kept.keyLength = 0;
  if (kept.ascii) {
    for (size_t b = 0; b < 8; ++b) {
      kept.prefix = kept.prefix << 8 | (b < key_.size() ? static_cast<uint8_t>(key_[b]) : 0u);
    }
    kept.keyLength = static_cast<uint16_t>(key_.size());
    bytes_ += key_;
  }
  return id;
}

int CollatedTexts::compare(uint32_t a, uint32_t b) const {
  const Text& x = texts_[a];
  const Text& y = texts_[b];
  const std::string_view bytes(bytes_);
  if (x.ascii && y.ascii) {
    if (x.prefix != y.prefix) return x.prefix < y.prefix ? -1 : 1;
    const int order = bytes.substr(x.at + x.length, x.keyLength)
                          .compare(bytes.substr(y.at + y.length, y.keyLength));
    return (order > 0) - (order < 0);
  }
  return compareText(bytes.substr(x.at, x.length), bytes.substr(y.at, y.length));
}

}  // namespace vellomar
