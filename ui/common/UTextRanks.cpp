#include "ui/common/UTextRanks.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/PText.h"

namespace vellomar {

namespace {

uint64_t bigEndian64(const char* bytes) {
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | static_cast<uint8_t>(bytes[i]);
  return value;
}

}  // namespace

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
  // alone, carried as two numbers; the other texts are sorted by their collation keys
  // and each put among the ASCII ones by a search from the place of the one before, so the
  // collator sees a text a few times, not at every step of a sort. The collator agrees with
  // those bytes, so the order stays one order.
  struct Entry {
    std::array<uint64_t, 2> prefix;  // the first sixteen collation bytes, big-endian
    uint32_t id;
    uint32_t at;      // the collation bytes after the sixteenth in the buffer (other texts:
                      // the place of their key)
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
    Entry e{{0, 0}, i, 0, 0, true};
    // A key is never longer than its text, so a short text's key is its prefix alone.
    if (texts_[i].size() <= kPrefixBytes) {
      e.ascii = asciiCollationPrefix(texts_[i], e.prefix);
      (e.ascii ? ascii : others).push_back(e);
      continue;
    }
    e.ascii = asciiCollationKey(texts_[i], key);
    if (!e.ascii) {
      others.push_back(e);
      continue;
    }
    const size_t length = key.size();
    if (length > kPrefixBytes) {
      e.at = static_cast<uint32_t>(bytes.size());
      e.length = static_cast<uint32_t>(length - kPrefixBytes);
      bytes.append(key, kPrefixBytes);
    }
    // Zeros after a shorter key: no collation byte is zero.
    key.resize(std::max(length, kPrefixBytes), '\0');
    e.prefix = {bigEndian64(key.data()), bigEndian64(key.data() + 8)};
    ascii.push_back(e);
  }
  // The other texts compare among themselves by their full collation keys, made once each.
  std::vector<std::string> otherKeys;
  otherKeys.reserve(others.size());
  for (Entry& e : others) {
    e.at = static_cast<uint32_t>(otherKeys.size());
    otherKeys.push_back(collationKey(texts_[e.id]));
  }
  const auto compare = [&](const Entry& a, const Entry& b) {
    if (!a.ascii && !b.ascii) return otherKeys[a.at].compare(otherKeys[b.at]);
    if (!a.ascii || !b.ascii) return compareText(texts_[a.id], texts_[b.id]);
    if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
    if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
    if (a.length == 0 && b.length == 0) return 0;
    return std::string_view(bytes)
        .substr(a.at, a.length)
        .compare(std::string_view(bytes).substr(b.at, b.length));
  };
  const auto before = [&compare](const Entry& a, const Entry& b) { return compare(a, b) < 0; };
  // The order of compare among ASCII texts, their flags unread.
  const auto asciiBefore = [&bytes](const Entry& a, const Entry& b) {
    if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0];
    if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1];
    if (a.length == 0 || b.length == 0) return a.length < b.length;
    return std::string_view(bytes).substr(a.at, a.length) <
           std::string_view(bytes).substr(b.at, b.length);
  };
  // The ASCII texts first spread by their first two collation bytes, then each group sorted:
  // texts start alike in few ways, so the groups are small.
  {
    constexpr uint32_t kGroups = 1u << 16;
    const auto groupOf = [](const Entry& e) { return static_cast<uint32_t>(e.prefix[0] >> 48); };
    std::vector<uint32_t> starts(kGroups + 1, 0);
    for (const Entry& e : ascii) ++starts[groupOf(e) + 1];
    for (uint32_t g = 0; g < kGroups; ++g) starts[g + 1] += starts[g];
    std::vector<Entry> grouped(ascii.size());
    std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
    for (const Entry& e : ascii) grouped[next[groupOf(e)]++] = e;
    for (uint32_t g = 0; g < kGroups; ++g) {
      if (starts[g + 1] - starts[g] > 1) {
        std::sort(grouped.begin() + starts[g], grouped.begin() + starts[g + 1], asciiBefore);
      }
    }
    ascii.swap(grouped);
  }
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
    // The place of the text among the ASCII ones after the last such place: steps doubling
    // from there, then a binary search in the last step, so a near place costs few looks.
    auto below = from;
    auto above = ascii.end();
    for (ptrdiff_t step = 1; step <= above - below; step *= 2) {
      if (!before(*(below + step - 1), other)) {
        above = below + step - 1;
        break;
      }
      below += step;
    }
    const auto at = std::lower_bound(below, above, other, before);
    for (; from != at; ++from) place(*from);
    place(other);
  }
  for (; from != ascii.end(); ++from) place(*from);
}

}  // namespace vellomar
