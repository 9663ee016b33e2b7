#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <span>

#include "foundation/UCollatedTexts.h"
#include "platform/PText.h"
#include "ui/common/UCatalogueGateway.h"

namespace vellomar {

void SetSelected(TOneFileLine& line, bool on) {
  line.Flags = on ? (line.Flags | kLineSelected) : (line.Flags & ~kLineSelected);
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
constexpr size_t kRadixCutoff = 200;

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

// Sorts the places of `data` by key into `data` or, with intoOther, into `other`, which is as
// long and otherwise scratch: a radix sort from the first byte in which their keys differ,
// small buckets by comparing. Places of equal keys stay in index order.
void radixSort(Place* data, Place* other, size_t n, bool intoOther) {
  uint64_t high = 0;
  uint32_t low = 0;
  if (n > kRadixCutoff) {
    for (size_t i = 1; i < n; ++i) {
      high |= data[i].high ^ data[0].high;
      low |= data[i].low ^ data[0].low;
    }
  } else {
    std::sort(data, data + n, keyBefore);
  }
  if (high == 0 && low == 0) {
    if (intoOther) std::copy(data, data + n, other);
    return;
  }
  const int at = high != 0 ? std::countl_zero(high) / 8 : 8 + std::countl_zero(low) / 8;
  std::array<size_t, 257> starts{};
  for (size_t i = 0; i < n; ++i) ++starts[keyByte(data[i], at) + 1];
  for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::array<size_t, 256> next;
  std::copy(starts.begin(), starts.end() - 1, next.begin());
  for (size_t i = 0; i < n; ++i) other[next[keyByte(data[i], at)]++] = data[i];
  for (unsigned b = 0; b < 256; ++b) {
    const size_t from = starts[b], size = starts[b + 1] - from;
    if (size > 0) radixSort(other + from, data + from, size, !intoOther);
  }
}

// The order's text of a line, joined in room: name and extension by name, else extension and
// name.
std::string_view textOf(const TOneFileLine& line, uint8_t criterion, std::array<char, 512>& room) {
  const std::string_view name = line.Name();
  const std::string_view ext = line.Data.Ext.view();
  const std::string_view first = criterion == kSortByName ? name : ext;
  const std::string_view second = criterion == kSortByName ? ext : name;
  std::copy(first.begin(), first.end(), room.begin());
  std::copy(second.begin(), second.end(), room.begin() + first.size());
  return {room.data(), first.size() + second.size()};
}

}  // namespace

// Each line's place is made as the line is copied, while its fields and name are at hand.
class TFileLineList::Places {
 public:
  Places(uint8_t criterion, bool reverse, size_t lines)
      : criterion_(criterion),
        reverse_(reverse),
        flip_(reverse ? UINT64_MAX : 0),
        prefixed_(criterion == kSortByName || criterion == kSortByExt),
        room_(std::make_unique_for_overwrite<Place[]>(2 * lines)) {}

  void add(const TOneFileLine& line);
  // Sorts the places of lines, puts each line's index into order in list order and answers
  // the list index of the first marked line, -1 when none is.
  int32_t sort(const TFileLines& lines, std::vector<uint32_t>& order);

 private:
  uint8_t criterion_;
  bool reverse_;
  uint64_t flip_;
  // By name or extension the prefixes decide nearly every pair: the places sort on them, and
  // only texts whose prefixes are equal are collated. A text other than ASCII has no prefix;
  // then the places sort on the group alone and every text is collated.
  bool prefixed_;
  // The places, and as many again for the sort to move them through.
  std::unique_ptr<Place[]> room_;
  uint32_t count_ = 0;
  // The marked lines in index order: looking each line up in list order would visit them all
  // in no order.
  std::vector<uint32_t> marked_;
  std::array<char, 512> joined_;
};

void TFileLineList::Places::add(const TOneFileLine& line) {
  const uint32_t index = count_++;
  uint32_t number = 0;
  if (criterion_ == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(line.Data.DateTime);
  if (criterion_ == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(line.Data.Size);
  const auto group =
      static_cast<uint64_t>(FileSortGroup(line.Name(), line.Data.Ext.view(), line.Kind, reverse_));
  Place& place = room_[index];
  place = {(group << 32 | number) ^ flip_, static_cast<uint32_t>(flip_), index};
  if ((line.Flags & kLineFocusMark) != 0) marked_.push_back(index);
  if (!prefixed_) return;
  CollatedTexts::Prefix prefix;
  if (asciiCollationPrefix(textOf(line, criterion_, joined_), prefix)) {
    place.high = (group << 56 | prefix[0] >> 8) ^ flip_;
    place.low = static_cast<uint32_t>((prefix[0] << 24 | prefix[1] >> 40) ^ flip_);
    return;
  }
  prefixed_ = false;
  for (uint32_t i = 0; i < index; ++i) {
    room_[i].high = ((room_[i].high ^ flip_) >> 56 << 32) ^ flip_;
    room_[i].low = static_cast<uint32_t>(flip_);
  }
}

int32_t TFileLineList::Places::sort(const TFileLines& lines, std::vector<uint32_t>& order) {
  const uint32_t n = count_;
  Place* const places = room_.get();
  radixSort(places, places + n, n, false);

  // Runs of equal keys: in the order of their collated texts, equal texts in index order.
  CollatedTexts texts;
  struct Tied {
    uint32_t text;
    uint32_t index;
  };
  std::vector<Tied> run;
  const auto before = [&texts, this](const Tied& a, const Tied& b) {
    const int order = texts.compare(a.text, b.text);
    if (order != 0) return reverse_ ? order > 0 : order < 0;
    return a.index < b.index;
  };
  for (uint32_t first = 0; first < n;) {
    uint32_t end = first + 1;
    while (end < n && sameKey(places[end], places[first])) ++end;
    if (end - first > 1) {
      run.clear();
      for (uint32_t i = first; i < end; ++i) {
        const uint32_t index = places[i].index;
        run.push_back({texts.add(textOf(lines[index], criterion_, joined_)), index});
      }
      std::sort(run.begin(), run.end(), before);
      for (uint32_t i = first; i < end; ++i) places[i].index = run[i - first].index;
    }
    first = end;
  }
  order.resize(n);
  int32_t focus = -1;
  for (uint32_t i = 0; i < n; ++i) {
    order[i] = places[i].index;
    if (focus < 0 && std::binary_search(marked_.begin(), marked_.end(), order[i]))
      focus = static_cast<int32_t>(i);
  }
  return focus;
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  const std::span<const TOneFile* const> entries = CatalogueGateway::fileLines(files);
  TFileLines lines;
  lines.reserve(entries.size());
  Places places(criterion, reverse, entries.size());
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
    places.add(line);
  }
  return sortAndFocus(std::move(lines), places);
}

int32_t TFileLineList::load(const std::vector<TOneFile>& entries, uint8_t criterion, bool reverse) {
  TFileLines lines;
  lines.reserve(entries.size());
  Places places(criterion, reverse, entries.size());
  for (const TOneFile& entry : entries) places.add(lines.add(entry));
  return sortAndFocus(std::move(lines), places);
}

int32_t TFileLineList::sortAndFocus(TFileLines lines, Places& places) {
  const int32_t focus = places.sort(lines, order_);
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

int32_t TFileLineList::findByPrefix(std::string_view prefix, int32_t from) const {
  const std::string lowered = lowerText(prefix);
  const int32_t n = count();
  for (int32_t step = 0; step < n; ++step) {
    const int32_t index = (std::max(from, 0) + step) % n;
    const TOneFileLine& line = *at(index);
    if (line.Kind == kLineParent) continue;
    if (lowerText(FullNameOf(line)).starts_with(lowered)) return index;
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
  // The ".." line stands for no entry of the folder: "all" never takes it in.
  const auto entry = [](const auto& line) { return line.Kind != kLineParent; };
  const bool all = std::all_of(lines_.begin(), lines_.end(),
                               [&](const auto& line) { return !entry(line) || IsSelected(line); });
  const bool select = !(persistent && all);
  for (auto& line : lines_) {
    if (entry(line)) SetSelected(line, select);
  }
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
    if (!IsSelected(line) && line.Kind != kLineParent &&
        CatalogueGateway::matchesAnyMask(masks, FullNameOf(line))) {
      SetSelected(line, true);
    }
  }
}

int32_t TFileLineList::selectedCount() const {
  return static_cast<int32_t>(std::count_if(lines_.begin(), lines_.end(),
                                            [](const auto& line) { return IsSelected(line); }));
}

}  // namespace vellomar
