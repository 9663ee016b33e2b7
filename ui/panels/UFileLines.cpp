#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <span>

#include "engine/api/UApi.h"
#include "foundation/UCollatedTexts.h"
#include "platform/PText.h"

namespace vellomar {

void SetSelected(TOneFileLine& line, bool on) {
  line.Flags = on ? (line.Flags | kLineSelected) : (line.Flags & ~kLineSelected);
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  const std::span<const TOneFile* const> entries = ApiFileColLines(files);
  TFileLines lines;
  lines.reserve(entries.size());
  for (const TOneFile* entry : entries) {
    TOneFileLine& line = lines.add(*entry);
    if (!focusName.empty()) {
      const std::string_view wanted = focusName.view();
      const std::string_view name = entry->Name.view();
      if (wanted.starts_with(name) && wanted.substr(name.size()) == entry->Data.Ext.view()) {
        line.Flags |= kLineFocusMark;
      }
    } else if (forcedNode != nullptr && line.Kind != kLineFile && entry->SubDir == forcedNode) {
      line.Flags |= kLineFocusMark;
      forcedNode = nullptr;
    }
  }
  return sortAndFocus(std::move(lines), criterion, reverse);
}

int32_t TFileLineList::load(const std::vector<TOneFile>& entries, uint8_t criterion, bool reverse) {
  TFileLines lines;
  lines.reserve(entries.size());
  for (const TOneFile& entry : entries) lines.add(entry);
  return sortAndFocus(std::move(lines), criterion, reverse);
}

namespace {

// A line's place among the lines: its sort key as numbers whose order is the key's (the group
// character and the date or size as the key writes them; by name or extension the group and
// the first sixteen bytes of the text's collation key), all inverted for the reverse order.
// Places whose numbers are equal are put in order by their collated texts, then by index.
struct Place {
  uint64_t major;  // the group, then 4294967295 minus the date or size
  CollatedTexts::Prefix prefix;
  uint32_t index;  // the line's
  uint32_t text;   // the line's text among the collated ones, kNoText before it is collated
};

constexpr uint32_t kNoText = UINT32_MAX;
// Below this many places a bucket is sorted by comparing.
constexpr size_t kRadixCutoff = 48;

// The key's bytes from the highest: major, then the prefix.
uint64_t keyWord(const Place& p, size_t word) {
  return word == 0 ? p.major : p.prefix[word - 1];
}

bool keyBefore(const Place& a, const Place& b, size_t words) {
  for (size_t w = 0; w < words; ++w) {
    const uint64_t x = keyWord(a, w), y = keyWord(b, w);
    if (x != y) return x < y;
  }
  return a.index < b.index;
}

bool sameKey(const Place& a, const Place& b, size_t words) {
  for (size_t w = 0; w < words; ++w) {
    if (keyWord(a, w) != keyWord(b, w)) return false;
  }
  return true;
}

// Sorts places by the first `words` key words and then by index: a radix sort from the first
// byte in which the places differ (their words before `word` are equal), small buckets by
// comparing. spare has room for as many places.
void radixSort(Place* places, Place* spare, size_t n, size_t word, size_t words) {
  if (n <= kRadixCutoff) {
    std::sort(places, places + n,
              [words](const Place& a, const Place& b) { return keyBefore(a, b, words); });
    return;
  }
  uint64_t differ = 0;
  for (; word < words; ++word) {
    const uint64_t first = keyWord(places[0], word);
    for (size_t i = 1; i < n; ++i) differ |= keyWord(places[i], word) ^ first;
    if (differ != 0) break;
  }
  // Equal keys: the places came in index order and each pass keeps it.
  if (differ == 0) return;
  const int shift = 56 - (std::countl_zero(differ) & ~7);
  std::array<size_t, 257> starts{};
  for (size_t i = 0; i < n; ++i) ++starts[((keyWord(places[i], word) >> shift) & 0xFF) + 1];
  for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::array<size_t, 257> next = starts;
  for (size_t i = 0; i < n; ++i)
    spare[next[(keyWord(places[i], word) >> shift) & 0xFF]++] = places[i];
  std::copy(spare, spare + n, places);
  for (size_t b = 0; b < 256; ++b) {
    const size_t size = starts[b + 1] - starts[b];
    if (size > 1) radixSort(places + starts[b], spare + starts[b], size, word, words);
  }
}

}  // namespace

int32_t TFileLineList::sortAndFocus(TFileLines lines, uint8_t criterion, bool reverse) {
  const auto n = static_cast<uint32_t>(lines.count());
  const bool byNumber = criterion == kSortByTime || criterion == kSortBySize;
  // The order's text: name and extension by name, else extension and name.
  const auto textOf = [&lines, criterion](uint32_t index, std::array<char, 2 * 256>& joined) {
    const TOneFileLine& line = lines[index];
    const std::string_view name = line.Name();
    const std::string_view ext = line.Data.Ext.view();
    const std::string_view first = criterion == kSortByName ? name : ext;
    const std::string_view second = criterion == kSortByName ? ext : name;
    std::copy(first.begin(), first.end(), joined.begin());
    std::copy(second.begin(), second.end(), joined.begin() + first.size());
    return std::string_view(joined.data(), first.size() + second.size());
  };
  const uint64_t flip = reverse ? UINT64_MAX : 0;
  std::vector<Place> places(n);
  // By name or extension the prefixes decide nearly every pair: the places sort on them, and
  // only texts whose prefixes are equal are collated. A text other than ASCII has no prefix;
  // then the places sort on the group alone and every text is collated.
  bool allPrefixed = !byNumber;
  std::array<char, 2 * 256> joined;
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFileLine& line = lines[i];
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(line.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(line.Data.Size);
    const auto group =
        static_cast<uint64_t>(FileSortGroup(line.Name(), line.Data.Ext.view(), line.Kind, reverse));
    Place& place = places[i];
    place.major = (group << 32 | number) ^ flip;
    place.index = i;
    place.text = kNoText;
    if (allPrefixed) {
      allPrefixed = asciiCollationPrefix(textOf(i, joined), place.prefix);
      place.prefix[0] ^= flip;
      place.prefix[1] ^= flip;
    }
  }
  const size_t words = allPrefixed ? 3 : 1;
  std::vector<Place> spare(n);
  radixSort(places.data(), spare.data(), n, 0, words);
  spare = {};

  // Runs of equal keys: in the order of their collated texts, equal texts in index order.
  CollatedTexts texts;
  const auto collate = [&](Place& place) {
    if (place.text != kNoText) return;
    place.text = texts.add(textOf(place.index, joined));
  };
  const auto before = [&texts, reverse](const Place& a, const Place& b) {
    const std::optional<CollatedTexts::Prefix> pa = texts.prefix(a.text);
    const std::optional<CollatedTexts::Prefix> pb = texts.prefix(b.text);
    int order = 0;
    if (pa && pb && *pa != *pb) {
      order = *pa < *pb ? -1 : 1;
    } else {
      order = texts.compare(a.text, b.text);
    }
    if (order != 0) return reverse ? order > 0 : order < 0;
    return a.index < b.index;
  };
  for (auto run = places.begin(); run != places.end();) {
    const auto end = std::find_if(
        run + 1, places.end(), [&run, words](const Place& p) { return !sameKey(p, *run, words); });
    if (end - run > 1) {
      std::for_each(run, end, collate);
      std::sort(run, end, before);
    }
    run = end;
  }
  order_.resize(n);
  int32_t focus = -1;
  for (uint32_t i = 0; i < n; ++i) {
    order_[i] = places[i].index;
    if (focus < 0 && (lines[order_[i]].Flags & kLineFocusMark) != 0)
      focus = static_cast<int32_t>(i);
  }
  lines_ = std::move(lines);
  return std::max(focus, 0);
}

TOneFileLine* TFileLineList::at(int32_t index) {
  return index >= 0 && index < count() ? &lines_[order_[static_cast<size_t>(index)]] : nullptr;
}

const TOneFileLine* TFileLineList::at(int32_t index) const {
  return index >= 0 && index < count() ? &lines_[order_[static_cast<size_t>(index)]] : nullptr;
}

int32_t TFileLineList::parentLineIndex() const {
  for (int32_t i = 0; i < count(); ++i) {
    if (at(i)->Kind == kLineParent) return i;
  }
  return -1;
}

void TFileLineList::toggle(int32_t index) {
  if (TOneFileLine* line = at(index)) SetSelected(*line, !IsSelected(*line));
}

bool TFileLineList::unselectAll() {
  bool any = false;
  for (auto& line : lines_) {
    any = any || IsSelected(line);
    SetSelected(line, false);
  }
  return any;
}

void TFileLineList::selectAll(bool persistent) {
  const bool all =
      std::all_of(lines_.begin(), lines_.end(), [](const auto& line) { return IsSelected(line); });
  const bool select = !(persistent && all);
  for (auto& line : lines_) SetSelected(line, select);
}

void TFileLineList::toggleRange(int32_t from, int32_t to) {
  const int32_t step = to > from ? 1 : -1;
  for (int32_t i = from; i != to; i += step) toggle(i);
}

void TFileLineList::selectOnly(int32_t a, int32_t b) {
  unselectAll();
  for (int32_t i = std::min(a, b); i <= std::max(a, b); ++i) {
    if (TOneFileLine* line = at(i)) SetSelected(*line, true);
  }
}

void TFileLineList::selectMatching(std::span<const ShortString> masks) {
  for (auto& line : lines_) {
    if (!IsSelected(line) && ApiMatchesAnyMask(masks, FullNameOf(line))) SetSelected(line, true);
  }
}

int32_t TFileLineList::selectedCount() const {
  return static_cast<int32_t>(std::count_if(lines_.begin(), lines_.end(),
                                            [](const auto& line) { return IsSelected(line); }));
}

}  // namespace vellomar
