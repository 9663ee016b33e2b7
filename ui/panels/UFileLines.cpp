#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <optional>

#include "engine/UApi.h"
#include "foundation/UCollatedTexts.h"

namespace vellomar {

void SetSelected(TOneFileLine& line, bool on) {
  line.Flags = on ? (line.Flags | kLineSelected) : (line.Flags & ~kLineSelected);
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  TFileLines lines;
  const int32_t n = ApiFileColCount(files);
  lines.reserve(static_cast<size_t>(n));
  TOneFile entry;
  for (int32_t i = 0; i < n; ++i) {
    if (!ApiFileColAt(files, i, entry)) continue;
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

int32_t TFileLineList::sortAndFocus(TFileLines lines, uint8_t criterion, bool reverse) {
  // The order of the lines' sort keys without making them: the group character, the date or
  // size written with ten digits, then the text, which is collated once per line.
  struct Place {
    uint64_t major;  // the group, then 4294967295 minus the date or size as the key writes it
    uint64_t prefix;
    uint32_t index;
    bool ascii;
  };
  const auto n = static_cast<uint32_t>(lines.count());
  CollatedTexts texts;
  texts.reserve(n);
  std::vector<Place> places;
  places.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFileLine& line = lines[i];
    const std::string_view name = line.Name();
    const std::string_view ext = line.Data.Ext.view();
    const uint32_t id = criterion == kSortByName ? texts.add(name, ext) : texts.add(ext, name);
    const std::optional<uint64_t> prefix = texts.prefix(id);
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(line.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(line.Data.Size);
    const auto group = static_cast<uint64_t>(FileSortGroup(name, ext, line.Kind, reverse));
    places.push_back({group << 32 | number, prefix.value_or(0), i, prefix.has_value()});
  }
  // Equal keys keep the engine's order in both directions.
  const auto compareKeys = [&texts](const Place& a, const Place& b) {
    if (a.major != b.major) return a.major < b.major ? -1 : 1;
    if (a.ascii && b.ascii && a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return texts.compare(a.index, b.index);
  };
  std::sort(places.begin(), places.end(), [&compareKeys, reverse](const Place& a, const Place& b) {
    const int order = compareKeys(a, b);
    if (order != 0) return reverse ? order > 0 : order < 0;
    return a.index < b.index;
  });
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
