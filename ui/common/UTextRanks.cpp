#include "ui/common/UTextRanks.h"

#include <algorithm>
#include <array>
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
  // ASCII texts compare by their collation bytes, nearly all of them by the first sixteen
  // alone, carried as two numbers; the other texts are sorted by the collator among themselves
  // and each put among the ASCII ones by a binary search, so the collator sees a text a few
  // times, not at every step of a sort. The collator agrees with those bytes, so the order
  // stays one order.
  struct Entry {
    std::array<uint64_t, 2> prefix;  // the first sixteen collation bytes, big-endian
    uint32_t id;
    uint32_t at;      // the collation bytes after the sixteenth in the buffer
    uint32_t length;  // of those bytes
    bool ascii;
  };
  constexpr size_t kPrefixBytes = 16;
  std::string bytes;
  std::string key;
  std::vector<Entry> ascii;
  std::vector<Entry> others;
  ascii.reserve(texts_.size());
  for (uint32_t i = 0; i < texts_.size(); ++i) {
    const std::string_view text = texts_[i];
    Entry e{{0, 0}, i, 0, 0, false};
    // A key is never longer than its text: the key of a text of sixteen bytes or less is whole
    // in the prefix.
    if (text.size() <= kPrefixBytes) {
      e.ascii = asciiCollationPrefix(text, e.prefix);
    } else if ((e.ascii = asciiCollationKey(text, key))) {
      for (size_t b = 0; b < kPrefixBytes; ++b) {
        e.prefix[b / 8] |= uint64_t{b < key.size() ? static_cast<uint8_t>(key[b]) : 0u}
                           << (8 * (7 - b % 8));
      }
      if (key.size() > kPrefixBytes) {
        e.at = static_cast<uint32_t>(bytes.size());
        e.length = static_cast<uint32_t>(key.size() - kPrefixBytes);
        bytes.append(key, kPrefixBytes);
      }
    }
    (e.ascii ? ascii : others).push_back(e);
  }
  const auto compare = [&](const Entry& a, const Entry& b) {
    if (!a.ascii || !b.ascii) return compareText(texts_[a.id], texts_[b.id]);
    if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
    if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
    if (a.length == 0 && b.length == 0) return 0;
    return std::string_view(bytes)
        .substr(a.at, a.length)
        .compare(std::string_view(bytes).substr(b.at, b.length));
  };
  const auto before = [&compare](const Entry& a, const Entry& b) { return compare(a, b) < 0; };
  std::sort(ascii.begin(), ascii.end(), before);
  std::sort(others.begin(), others.end(), before);
  // The two sorted lists merged, each text given its place as it comes.
  ranks_.assign(texts_.size(), 0);
  uint32_t rank = 0;
  const Entry* last = nullptr;
  const auto place = [&](const Entry& e) {
    if (last != nullptr && compare(*last, e) != 0) ++rank;
    ranks_[e.id] = rank;
    last = &e;
  };
  auto from = ascii.begin();
  for (const Entry& other : others) {
    const auto at = std::lower_bound(from, ascii.end(), other, before);
    for (; from != at; ++from) place(*from);
    place(other);
  }
  for (; from != ascii.end(); ++from) place(*from);
}

}  // namespace vellomar
