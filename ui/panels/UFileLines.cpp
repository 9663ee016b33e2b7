#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <tuple>

#include "engine/UApi.h"
#include "engine/UMasks.h"
#include "ui/common/UTextRanks.h"

namespace vellomar {

std::string FullNameOf(const TOneFile& entry) {
  std::string name;
  name.reserve(static_cast<size_t>(entry.Name.length()) + entry.Data.Ext.length());
  name.append(entry.Name.view());
  name.append(entry.Data.Ext.view());
  return name;
}

void SetSelected(TOneFileLine& line, bool on) {
  line.Flags = on ? (line.Flags | kLineSelected) : (line.Flags & ~kLineSelected);
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  std::vector<std::unique_ptr<TOneFileLine>> lines;
  const int32_t n = ApiFileColCount(files);
  lines.reserve(static_cast<size_t>(n));
  TOneFile entry;
  for (int32_t i = 0; i < n; ++i) {
    if (!ApiFileColAt(files, i, entry)) continue;
    auto& line = lines.emplace_back(std::make_unique<TOneFileLine>(entry));
    if (!focusName.empty()) {
      if (FullNameOf(entry) == focusName.view()) line->Flags |= kLineFocusMark;
    } else if (forcedNode != nullptr && line->Kind != kLineFile && entry.SubDir == forcedNode) {
      line->Flags |= kLineFocusMark;
      forcedNode = nullptr;
    }
  }
  return sortAndFocus(std::move(lines), criterion, reverse);
}

int32_t TFileLineList::load(const std::vector<TOneFile>& entries, uint8_t criterion, bool reverse) {
  std::vector<std::unique_ptr<TOneFileLine>> lines;
  lines.reserve(entries.size());
  for (const TOneFile& entry : entries) lines.push_back(std::make_unique<TOneFileLine>(entry));
  return sortAndFocus(std::move(lines), criterion, reverse);
}

int32_t TFileLineList::sortAndFocus(std::vector<std::unique_ptr<TOneFileLine>> lines,
                                    uint8_t criterion, bool reverse) {
  // The order of the lines' sort keys without making them: the group character, the date or
  // size written with ten digits, then the text, which is collated once per line.
  const auto n = static_cast<uint32_t>(lines.size());
  std::vector<std::string> texts(n);
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFile& entry = *lines[i]->Entry;
    std::string& text = texts[i];
    text.reserve(static_cast<size_t>(entry.Name.length()) + entry.Data.Ext.length());
    if (criterion == kSortByName) {
      text.append(entry.Name.view()).append(entry.Data.Ext.view());
    } else {
      text.append(entry.Data.Ext.view()).append(entry.Name.view());
    }
  }
  TextRanks ranks;
  for (const std::string& text : texts) ranks.add(text, false);
  ranks.rank();
  struct Place {
    uint32_t group;
    uint32_t number;  // 4294967295 minus the date or size, as the key's digits write it
    uint32_t rank;
    uint32_t index;
  };
  std::vector<Place> places(n);
  for (uint32_t i = 0; i < n; ++i) {
    const TOneFile& entry = *lines[i]->Entry;
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(entry.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(entry.Data.Size);
    places[i] = {static_cast<uint32_t>(FileSortGroup(entry, lines[i]->Kind, reverse)), number,
                 ranks.rankOf(i), i};
  }
  // Equal keys keep the engine's order in both directions.
  std::sort(places.begin(), places.end(), [reverse](const Place& a, const Place& b) {
    const auto key = [](const Place& p) { return std::tie(p.group, p.number, p.rank); };
    if (key(a) != key(b)) return reverse ? key(a) > key(b) : key(a) < key(b);
    return a.index < b.index;
  });
  lines_.clear();
  lines_.reserve(n);
  int32_t focus = -1;
  for (const Place& place : places) {
    lines_.push_back(std::move(lines[place.index]));
    if (focus < 0 && (lines_.back()->Flags & kLineFocusMark) != 0) focus = count() - 1;
  }
  return std::max(focus, 0);
}

TOneFileLine* TFileLineList::at(int32_t index) {
  return index >= 0 && index < count() ? lines_[static_cast<size_t>(index)].get() : nullptr;
}

const TOneFileLine* TFileLineList::at(int32_t index) const {
  return index >= 0 && index < count() ? lines_[static_cast<size_t>(index)].get() : nullptr;
}

int32_t TFileLineList::parentLineIndex() const {
  for (int32_t i = 0; i < count(); ++i) {
    if (lines_[static_cast<size_t>(i)]->Kind == kLineParent) return i;
  }
  return -1;
}

void TFileLineList::toggle(int32_t index) {
  if (TOneFileLine* line = at(index)) SetSelected(*line, !IsSelected(*line));
}

bool TFileLineList::unselectAll() {
  bool any = false;
  for (auto& line : lines_) {
    any = any || IsSelected(*line);
    SetSelected(*line, false);
  }
  return any;
}

void TFileLineList::selectAll(bool persistent) {
  const bool all =
      std::all_of(lines_.begin(), lines_.end(), [](const auto& line) { return IsSelected(*line); });
  const bool select = !(persistent && all);
  for (auto& line : lines_) SetSelected(*line, select);
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

void TFileLineList::selectMatching(const TItemCollection<TMaskItem>& masks) {
  for (auto& line : lines_) {
    if (IsSelected(*line)) continue;
    const std::string name = FullNameOf(*line->Entry);
    for (const TMaskItem* mask : masks.Items()) {
      if (MatchesMask(GetPStr(mask->Mask).view(), name, false, false)) {
        SetSelected(*line, true);
        break;
      }
    }
  }
}

int32_t TFileLineList::selectedCount() const {
  return static_cast<int32_t>(std::count_if(lines_.begin(), lines_.end(),
                                            [](const auto& line) { return IsSelected(*line); }));
}

}  // namespace vellomar
