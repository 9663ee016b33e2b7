#include "foundation/UCollatedTexts.h"

#include <limits>
#include <stdexcept>

#include "platform/PText.h"

namespace vellomar {

uint32_t CollatedTexts::add(std::string_view text) {
  if (text.size() > std::numeric_limits<uint16_t>::max() ||
      bytes_.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("texts too long to collate");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  Text& kept = texts_.emplace_back();
  kept.at = static_cast<uint32_t>(bytes_.size());
  kept.length = static_cast<uint16_t>(text.size());
  bytes_.append(text);
  kept.ascii = asciiCollationKey(text, key_);
  kept.prefix = 0;
  if (kept.ascii) {
    for (size_t b = 0; b < 8; ++b) {
      kept.prefix = kept.prefix << 8 | (b < key_.size() ? static_cast<uint8_t>(key_[b]) : 0u);
    }
  }
  return id;
}

int CollatedTexts::compare(uint32_t a, uint32_t b) const {
  const Text& x = texts_[a];
  const Text& y = texts_[b];
  if (x.ascii && y.ascii && x.prefix != y.prefix) return x.prefix < y.prefix ? -1 : 1;
  const std::string_view bytes(bytes_);
  return compareText(bytes.substr(x.at, x.length), bytes.substr(y.at, y.length));
}

}  // namespace vellomar
