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
  // ASCII texts compare by their collation bytes, most of them by the first eight alone; the
  // other texts are sorted by the collator among themselves and each put among the ASCII ones
  // by a binary search, so the collator sees a text a few times, not at every step of a sort.
  // The collator agrees with those bytes, so the order stays one order. The bytes of all
  // texts lie in one buffer.
  struct Entry {
    uint64_t prefix;  // the first eight collation bytes, big-endian
    uint32_t id;
    uint32_t at;  // the collation bytes in the buffer
    uint32_t length;
    bool ascii;
  };
  std::string bytes;
  std::string key;
  std::vector<Entry> ascii;
  std::vector<Entry> others;
  ascii.reserve(texts_.size());
  size_t textBytes = 0;
  for (const std::string_view text : texts_) textBytes += text.size();
  // A key is never longer than its text.
  bytes.reserve(textBytes);
  for (uint32_t i = 0; i < texts_.size(); ++i) {
    Entry e{0, i, 0, 0, asciiCollationKey(texts_[i], key)};
    if (!e.ascii) {
      others.push_back(e);
      continue;
    }
    e.at = static_cast<uint32_t>(bytes.size());
    e.length = static_cast<uint32_t>(key.size());
    bytes += key;
    for (size_t b = 0; b < 8; ++b) {
      e.prefix = e.prefix << 8 | (b < key.size() ? static_cast<uint8_t>(key[b]) : 0u);
    }
    ascii.push_back(e);
  }
  const auto compare = [&](const Entry& a, const Entry& b) {
    if (!a.ascii || !b.ascii) return compareText(texts_[a.id], texts_[b.id]);
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return std::string_view(bytes)
        .substr(a.at, a.length)
        .compare(std::string_view(bytes).substr(b.at, b.length));
  };
  const auto before = [&compare](const Entry& a, const Entry& b) { return compare(a, b) < 0; };
  std::sort(ascii.begin(), ascii.end(), before);
  std::sort(others.begin(), others.end(), before);
  std::vector<Entry> entries;
  entries.reserve(texts_.size());
  auto from = ascii.begin();
  for (const Entry& other : others) {
    const auto at = std::lower_bound(from, ascii.end(), other, before);
    entries.insert(entries.end(), from, at);
    entries.push_back(other);
    from = at;
  }
  entries.insert(entries.end(), from, ascii.end());
  ranks_.assign(texts_.size(), 0);
  uint32_t rank = 0;
  for (size_t i = 1; i < entries.size(); ++i) {
    if (compare(entries[i - 1], entries[i]) != 0) ++rank;
    ranks_[entries[i].id] = rank;
  }
}

}  // namespace vellomar
