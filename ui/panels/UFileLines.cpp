#include "ui/panels/UFileLines.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "engine/UApi.h"
#include "engine/UMasks.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

FileLineKind kindOf(const TOneFile& entry) {
  if (entry.Name.view() == "..") return FileLineKind::kParent;
  if ((entry.Data.Attr & kAttrArchiveFolder) != 0) return FileLineKind::kArchive;
  if ((entry.Data.Attr & kAttrFolder) != 0) return FileLineKind::kFolder;
  return FileLineKind::kFile;
}

char groupOf(const TOneFile& entry, FileLineKind kind, bool reverse) {
  const bool diskInfo = entry.Name.view() == "DiskInfo" && entry.Data.Ext.view() == ".txt";
  if (diskInfo) return reverse ? '5' : '1';
  if (kind == FileLineKind::kParent) return reverse ? '4' : '2';
  if (kind == FileLineKind::kFolder) return '3';
  return reverse ? '1' : '5';
}

}  // namespace

TOneFileLine::TOneFileLine(const TOneFile& entry) : Entry(entry), Kind(kindOf(entry)) {}

std::string TOneFileLine::fullName() const {
  std::string name;
  name.reserve(static_cast<size_t>(Entry.Name.length()) + Entry.Data.Ext.length());
  name.append(Entry.Name.view());
  name.append(Entry.Data.Ext.view());
  return name;
}

void TOneFileLine::setSelected(bool on) {
  Flags = on ? (Flags | kSelected) : (Flags & ~kSelected);
}

ShortString MakeFileSortKey(const TOneFile& entry, FileLineKind kind, uint8_t criterion,
                            bool reverse) {
  std::string key(1, groupOf(entry, kind, reverse));
  const auto appendInverted = [&key](int32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010u", UINT32_MAX - static_cast<uint32_t>(value));
    key += digits;
  };
  switch (criterion) {
    case kSortByExt:
      break;
    case kSortByTime:
      appendInverted(entry.Data.DateTime);
      break;
    case kSortBySize:
      appendInverted(entry.Data.Size);
      break;
    default:
      key.append(entry.Name.view());
      key.append(entry.Data.Ext.view());
      return ShortString(key);
  }
  key.append(entry.Data.Ext.view());
  key.append(entry.Name.view());
  return ShortString(key);
}

int32_t TFileLineList::load(TFileCollection* files, uint8_t criterion, bool reverse,
                            const ShortString& focusName, TDirCollection*& forcedNode) {
  std::vector<TOneFileLine> lines;
  const int32_t n = ApiFileColCount(files);
  lines.reserve(static_cast<size_t>(n));
  TOneFile entry;
  for (int32_t i = 0; i < n; ++i) {
    if (!ApiFileColAt(files, i, entry)) continue;
    TOneFileLine& line = lines.emplace_back(entry);
    if (!focusName.empty()) {
      if (line.fullName() == focusName.view()) line.Flags |= TOneFileLine::kFocusMark;
    } else if (forcedNode != nullptr && line.Kind != FileLineKind::kFile &&
               line.Entry.SubDir == forcedNode) {
      line.Flags |= TOneFileLine::kFocusMark;
      forcedNode = nullptr;
    }
  }
  return sortAndFocus(lines, criterion, reverse);
}

int32_t TFileLineList::load(std::vector<TOneFileLine> lines, uint8_t criterion, bool reverse) {
  return sortAndFocus(lines, criterion, reverse);
}

int32_t TFileLineList::sortAndFocus(std::vector<TOneFileLine>& lines, uint8_t criterion,
                                    bool reverse) {
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (const TOneFileLine& line : lines) {
    keys.emplace_back(MakeFileSortKey(line.Entry, line.Kind, criterion, reverse).view());
  }
  std::vector<uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0U);
  std::stable_sort(order.begin(), order.end(), [&keys, reverse](uint32_t a, uint32_t b) {
    const int c = compareText(keys[a], keys[b]);
    return reverse ? c > 0 : c < 0;
  });
  lines_.clear();
  lines_.reserve(lines.size());
  int32_t focus = -1;
  for (uint32_t i : order) {
    lines_.push_back(std::move(lines[i]));
    if (focus < 0 && (lines_.back().Flags & TOneFileLine::kFocusMark) != 0) focus = count() - 1;
  }
  return std::max(focus, 0);
}

TOneFileLine* TFileLineList::at(int32_t index) {
  return index >= 0 && index < count() ? &lines_[static_cast<size_t>(index)] : nullptr;
}

const TOneFileLine* TFileLineList::at(int32_t index) const {
  return index >= 0 && index < count() ? &lines_[static_cast<size_t>(index)] : nullptr;
}

int32_t TFileLineList::parentLineIndex() const {
  for (int32_t i = 0; i < count(); ++i) {
    if (lines_[static_cast<size_t>(i)].Kind == FileLineKind::kParent) return i;
  }
  return -1;
}

void TFileLineList::toggle(int32_t index) {
  if (TOneFileLine* line = at(index)) line->setSelected(!line->selected());
}

bool TFileLineList::unselectAll() {
  bool any = false;
  for (TOneFileLine& line : lines_) {
    any = any || line.selected();
    line.setSelected(false);
  }
  return any;
}

void TFileLineList::selectAll(bool persistent) {
  const bool all = std::all_of(lines_.begin(), lines_.end(),
                               [](const TOneFileLine& line) { return line.selected(); });
  const bool select = !(persistent && all);
  for (TOneFileLine& line : lines_) line.setSelected(select);
}

void TFileLineList::toggleRange(int32_t from, int32_t to) {
  const int32_t step = to > from ? 1 : -1;
  for (int32_t i = from; i != to; i += step) toggle(i);
}

void TFileLineList::selectOnly(int32_t a, int32_t b) {
  unselectAll();
  for (int32_t i = std::min(a, b); i <= std::max(a, b); ++i) {
    if (TOneFileLine* line = at(i)) line->setSelected(true);
  }
}

void TFileLineList::selectMatching(const TItemCollection<TMaskItem>& masks) {
  for (TOneFileLine& line : lines_) {
    if (line.selected()) continue;
    const std::string name = line.fullName();
    for (const TMaskItem* mask : masks.Items()) {
      if (MatchesMask(GetPStr(mask->Mask).view(), name, false, true)) {
        line.setSelected(true);
        break;
      }
    }
  }
}

int32_t TFileLineList::selectedCount() const {
  return static_cast<int32_t>(std::count_if(
      lines_.begin(), lines_.end(), [](const TOneFileLine& line) { return line.selected(); }));
}

}  // namespace vellomar
