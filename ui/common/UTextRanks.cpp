#include "ui/common/UTextRanks.h"

#include <algorithm>
#include <string>

#include "platform/PText.h"

namespace vellomar {

uint32_t TextRanks::add(std::string_view text, bool shared) {
  const auto id = static_cast<uint32_t>(texts_.size());
  if (shared) {
    const auto [at, added] = shared_.try_emplace(text, id);
    if (!added) return at->second;
  }
  texts_.push_back(text);
  return id;
}

void TextRanks::rank() {
  // ASCII texts compare by their collation bytes, most of them by the first eight alone; a pair
  // with another text goes through the collator, which agrees with those bytes, so the order
  // stays one order. The bytes of all texts lie in one buffer.
  struct Entry {
    uint64_t prefix;  // the first eight collation bytes, big-endian
    uint32_t id;
    uint32_t at;  // the collation bytes in the buffer
    uint32_t length;
    bool ascii;
  };
  std::string bytes;
  std::string key;
  std::vector<Entry> entries(texts_.size());
  for (uint32_t i = 0; i < texts_.size(); ++i) {
    Entry& e = entries[i];
    e.id = i;
    e.ascii = asciiCollationKey(texts_[i], key);
    if (!e.ascii) key.clear();
    e.at = static_cast<uint32_t>(bytes.size());
    e.length = static_cast<uint32_t>(key.size());
    bytes += key;
    e.prefix = 0;
    for (size_t b = 0; b < 8; ++b) {
      e.prefix = e.prefix << 8 | (b < key.size() ? static_cast<uint8_t>(key[b]) : 0u);
    }
  }
  const auto compare = [&](const Entry& a, const Entry& b) {
    if (!a.ascii || !b.ascii) return compareText(texts_[a.id], texts_[b.id]);
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return std::string_view(bytes)
        .substr(a.at, a.length)
        .compare(std::string_view(bytes).substr(b.at, b.length));
  };
  std::sort(entries.begin(), entries.end(),
            [&compare](const Entry& a, const Entry& b) { return compare(a, b) < 0; });
  ranks_.assign(texts_.size(), 0);
  uint32_t rank = 0;
  for (size_t i = 1; i < entries.size(); ++i) {
    if (compare(entries[i - 1], entries[i]) != 0) ++rank;
    ranks_[entries[i].id] = rank;
  }
}

}  // namespace vellomar
