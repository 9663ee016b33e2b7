#include "foundation/UCollatedTexts.h"

#include <limits>
#include <stdexcept>

#include "platform/PText.h"

namespace vellomar {

uint32_t CollatedTexts::add(std::string_view first, std::string_view second) {
  const size_t length = first.size() + second.size();
  if (length > std::numeric_limits<uint16_t>::max() ||
      bytes_.size() + length > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("texts too long to collate");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  Text& kept = texts_.emplace_back();
  kept.at = static_cast<uint32_t>(bytes_.size());
  kept.length = static_cast<uint16_t>(length);
  bytes_.append(first).append(second);
  kept.ascii = asciiCollationPrefix(std::string_view(bytes_).substr(kept.at), kept.prefix);
  if (!kept.ascii) kept.prefix = {};
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
