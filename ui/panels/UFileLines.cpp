#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <array>
#include <optional>

#include "foundation/UCollatedTexts.h"
#include "ui/common/UCatalogueGateway.h"

namespace vellomar {

void SetSelected(TOneFileLine& line, bool on) {
  line.Flags = on ? (line.Flags | kLineSelected) : (line.Flags & ~kLineSelected);
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  TFileLines lines;
  const int32_t n = CatalogueGateway::fileCount(files);
  lines.reserve(static_cast<size_t>(n));
  TOneFile entry;
  for (int32_t i = 0; i < n; ++i) {
    if (!CatalogueGateway::fileAt(files, i, entry)) continue;
    TOneFileLine& line = lines.add(entry);
    if (!focusName.empty()) {
      const std::string_view wanted = focusName.view();
      const std::string_view name = entry.Name.view();
      if (wanted.starts_with(name) && wanted.substr(name.size()) == entry.Data.Ext.view()) {
        line.Flags |= kLineFocusMark;
      }
    } else if (forcedNode != nullptr && line.Kind != kLineFile && entry.SubDir == forcedNode) {
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

// A line's place among the lines: the order of its sort key without making the key (the
// group character, the date or size written with ten digits, then the text, which is collated
// once per line).
struct Place {
  uint64_t major;  // the group, then 4294967295 minus the date or size as the key writes it
  CollatedTexts::Prefix prefix;
  uint32_t index;  // the line's
  uint32_t text;   // the line's text among the collated ones
  bool ascii;
};

// Puts places in the order of major (descending: the reverse), equal ones keeping their order:
// a stable sort by one byte at a time, from the lowest.
void orderByMajor(std::vector<Place>& places, bool descending) {
  uint64_t largest = 0;
  for (const Place& p : places) largest = std::max(largest, p.major);
  const auto keyOf = [descending, largest](const Place& p) {
    return descending ? largest - p.major : p.major;
  };
  std::vector<Place> other(places.size());
  for (int shift = 0; shift < 64 && (largest >> shift) != 0; shift += 8) {
    std::array<size_t, 257> starts{};
    for (const Place& p : places) ++starts[((keyOf(p) >> shift) & 0xFF) + 1];
    // A byte that all keys share moves nothing.
    if (std::find(starts.begin(), starts.end(), places.size()) != starts.end()) continue;
    for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (const Place& p : places) other[starts[(keyOf(p) >> shift) & 0xFF]++] = p;
    places.swap(other);
  }
}

}  // namespace

int32_t TFileLineList::sortAndFocus(TFileLines lines, uint8_t criterion, bool reverse) {
  const auto n = static_cast<uint32_t>(lines.count());
  // Dates and sizes nearly all differ: the places go in the order of their numbers at a few
  // passes over them, and only the lines of runs of equal numbers have their texts collated.
  const bool byNumber = criterion == kSortByTime || criterion == kSortBySize;
  CollatedTexts texts;
  const auto collate = [&](Place& place) {
    const TOneFileLine& line = lines[place.index];
    const std::string_view name = line.Name();
    const std::string_view ext = line.Data.Ext.view();
    place.text = criterion == kSortByName ? texts.add(name, ext) : texts.add(ext, name);
    const std::optional<CollatedTexts::Prefix> prefix = texts.prefix(place.text);
    place.prefix = prefix.value_or(CollatedTexts::Prefix{});
    place.ascii = prefix.has_value();
  };
  if (!byNumber) {
    size_t textBytes = 0;
    for (uint32_t i = 0; i < n; ++i) {
      textBytes += lines[i].Name().size() + lines[i].Data.Ext.view().size();
    }
    texts.reserve(n, textBytes);
  }
  std::vector<Place> places;
  places.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFileLine& line = lines[i];
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(line.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(line.Data.Size);
    const auto group =
        static_cast<uint64_t>(FileSortGroup(line.Name(), line.Data.Ext.view(), line.Kind, reverse));
    places.push_back({group << 32 | number, {}, i, 0, false});
    if (!byNumber) collate(places.back());
  }
  // Equal keys keep the engine's order in both directions.
  const auto compareKeys = [&texts](const Place& a, const Place& b) {
    if (a.major != b.major) return a.major < b.major ? -1 : 1;
    if (a.ascii && b.ascii && a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return texts.compare(a.text, b.text);
  };
  const auto before = [&compareKeys, reverse](const Place& a, const Place& b) {
    const int order = compareKeys(a, b);
    if (order != 0) return reverse ? order > 0 : order < 0;
    return a.index < b.index;
  };
  if (byNumber) {
    orderByMajor(places, reverse);
    for (auto run = places.begin(); run != places.end();) {
      const auto end = std::find_if(
          run, places.end(), [major = run->major](const Place& p) { return p.major != major; });
      if (end - run > 1) {
        std::for_each(run, end, collate);
        std::sort(run, end, before);
      }
      run = end;
    }
  } else {
    std::sort(places.begin(), places.end(), before);
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
    if (!IsSelected(line) && CatalogueGateway::matchesAnyMask(masks, FullNameOf(line))) {
      SetSelected(line, true);
    }
  }
}

int32_t TFileLineList::selectedCount() const {
  return static_cast<int32_t>(std::count_if(lines_.begin(), lines_.end(),
                                            [](const auto& line) { return IsSelected(line); }));
}

}  // namespace vellomar
