#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
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

// A line's place among the lines: its sort key as twelve bytes whose order is the key's, all
// bits inverted for the reverse order. By date or size: the group character, then the date or
// size as the key writes it; by name or extension: the group, then the first eleven bytes of
// the text's collation key. Places whose keys are equal are put in the order of their collated
// texts, then of their indexes.
struct Place {
  uint64_t high;
  uint32_t low;
  uint32_t index;  // the line's
};
static_assert(sizeof(Place) == 16);

// Up to this many places a bucket is sorted by comparing.
constexpr size_t kRadixCutoff = 32;

bool sameKey(const Place& a, const Place& b) {
  return a.high == b.high && a.low == b.low;
}

bool keyBefore(const Place& a, const Place& b) {
  if (a.high != b.high) return a.high < b.high;
  return a.low != b.low ? a.low < b.low : a.index < b.index;
}

// The key's byte at (0 the highest).
unsigned keyByte(const Place& p, int at) {
  return at < 8 ? (p.high >> (56 - 8 * at)) & 0xFF : (p.low >> (88 - 8 * at)) & 0xFF;
}

// Sorts places by key in place: a radix sort from the first byte in which their keys differ,
// small buckets by comparing. Places of equal keys may change their order.
void radixSort(Place* places, size_t n) {
  if (n <= kRadixCutoff) {
    std::sort(places, places + n, keyBefore);
    return;
  }
  uint64_t high = 0;
  uint32_t low = 0;
  for (size_t i = 1; i < n; ++i) {
    high |= places[i].high ^ places[0].high;
    low |= places[i].low ^ places[0].low;
  }
  if (high == 0 && low == 0) return;
  const int at = high != 0 ? std::countl_zero(high) / 8 : 8 + std::countl_zero(low) / 8;
  std::array<size_t, 257> starts{};
  for (size_t i = 0; i < n; ++i) ++starts[keyByte(places[i], at) + 1];
  for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  // Each place is swapped straight into the room left in its bucket.
  std::array<size_t, 256> next;
  std::copy(starts.begin(), starts.end() - 1, next.begin());
  for (unsigned b = 0; b < 256; ++b) {
    while (next[b] < starts[b + 1]) {
      Place moving = places[next[b]];
      for (unsigned to = keyByte(moving, at); to != b; to = keyByte(moving, at)) {
        std::swap(moving, places[next[to]++]);
      }
      places[next[b]++] = moving;
    }
  }
  for (unsigned b = 0; b < 256; ++b) {
    const size_t size = starts[b + 1] - starts[b];
    if (size > 1) radixSort(places + starts[b], size);
  }
}

}  // namespace

int32_t TFileLineList::sortAndFocus(TFileLines lines, uint8_t criterion, bool reverse) {
  const auto n = static_cast<uint32_t>(lines.count());
  const bool byNumber = criterion == kSortByTime || criterion == kSortBySize;
  // The order's text: name and extension by name, else extension and name.
  std::array<char, 2 * 256> joined;
  const auto textOf = [&lines, &joined, criterion](uint32_t index) {
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
  const auto places = std::make_unique_for_overwrite<Place[]>(n);
  // The marked lines in index order: looking each line up in list order would visit them all
  // in no order.
  std::vector<uint32_t> marked;
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFileLine& line = lines[i];
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(line.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(line.Data.Size);
    const auto group =
        static_cast<uint64_t>(FileSortGroup(line.Name(), line.Data.Ext.view(), line.Kind, reverse));
    places[i] = {(group << 32 | number) ^ flip, static_cast<uint32_t>(flip), i};
    if ((line.Flags & kLineFocusMark) != 0) marked.push_back(i);
  }
  // By name or extension the prefixes decide nearly every pair: the places sort on them, and
  // only texts whose prefixes are equal are collated. A text other than ASCII has no prefix;
  // then the places sort on the group alone and every text is collated.
  if (!byNumber) {
    uint32_t prefixed = 0;
    for (CollatedTexts::Prefix prefix;
         prefixed < n && asciiCollationPrefix(textOf(prefixed), prefix); ++prefixed) {
      Place& place = places[prefixed];
      const uint64_t group = (place.high ^ flip) >> 32;
      place.high = (group << 56 | prefix[0] >> 8) ^ flip;
      place.low = static_cast<uint32_t>((prefix[0] << 24 | prefix[1] >> 40) ^ flip);
    }
    for (uint32_t i = 0; prefixed < n && i < prefixed; ++i) {
      places[i].high = ((places[i].high ^ flip) >> 56 << 32) ^ flip;
      places[i].low = static_cast<uint32_t>(flip);
    }
  }
  radixSort(places.get(), n);

  // Runs of equal keys: in the order of their collated texts, equal texts in index order.
  CollatedTexts texts;
  struct Tied {
    uint32_t text;
    uint32_t index;
  };
  std::vector<Tied> run;
  const auto before = [&texts, reverse](const Tied& a, const Tied& b) {
    const int order = texts.compare(a.text, b.text);
    if (order != 0) return reverse ? order > 0 : order < 0;
    return a.index < b.index;
  };
  for (uint32_t first = 0; first < n;) {
    uint32_t end = first + 1;
    while (end < n && sameKey(places[end], places[first])) ++end;
    if (end - first > 1) {
      run.clear();
      for (uint32_t i = first; i < end; ++i) {
        run.push_back({texts.add(textOf(places[i].index)), places[i].index});
      }
      std::sort(run.begin(), run.end(), before);
      for (uint32_t i = first; i < end; ++i) places[i].index = run[i - first].index;
    }
    first = end;
  }
  order_.resize(n);
  int32_t focus = -1;
  for (uint32_t i = 0; i < n; ++i) {
    order_[i] = places[i].index;
    if (focus < 0 && std::binary_search(marked.begin(), marked.end(), order_[i]))
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
