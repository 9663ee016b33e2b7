#include "ui/search/UFoundFileLines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "foundation/UBaseUtils.h"
#include "ui/common/UTextRanks.h"
#include "ui/panels/UFileTexts.h"

namespace vellomar {

std::string_view FoundLineTexts::keep(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > room_) {
    // Blocks of 64 kB: a few hundred lines each, few allocations for a list of 50 000.
    room_ = std::max<size_t>(text.size(), 64 * 1024);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(room_));
    free_ = blocks_.back().get();
  }
  std::memcpy(free_, text.data(), text.size());
  const std::string_view kept(free_, text.size());
  free_ += text.size();
  room_ -= text.size();
  return kept;
}

const FoundLinePlace* FoundLineTexts::keepPlace(std::string_view diskName,
                                                std::string_view folder) {
  return &places_.emplace_back(FoundLinePlace{keep(diskName), keep(folder)});
}

// The views of a found item are cut to a short string's length.
TOneFLine::TOneFLine(const TFoundItemView& item, int32_t index, FoundLineTexts& texts,
                     const TOneFLine* previous)
    : Data(item.Data),
      EntryOffset(item.EntryOffset),
      Index(index),
      nameLength_(static_cast<uint8_t>(item.Name.size())),
      descLength_(static_cast<uint8_t>(item.ShortDesc.size())),
      name_(texts.keep(item.Name).data()),
      place_(previous != nullptr && previous->diskName() == item.DiskName &&
                     previous->folder() == item.FolderPath
                 ? previous->place_
                 : texts.keepPlace(item.DiskName, item.FolderPath)),
      desc_(texts.keep(item.ShortDesc).data()) {}

std::string TOneFLine::nameExt() const {
  std::string text(name());
  text += Data.Ext.view();
  return text;
}

TOneFile TOneFLine::file() const {
  TOneFile record;
  record.EntryOffset = EntryOffset;
  record.Data = Data;
  record.Name = ShortString(name());
  return record;
}

void TFoundFileSort::choose(uint8_t code) {
  if (code == SortKey1) {
    Reverse = !Reverse;
    return;
  }
  SortKey3 = SortKey2;
  SortKey2 = SortKey1;
  SortKey1 = code;
  Reverse = false;
}

TFoundFileSort foundFileSortOf(const TSearchDlgData& request) {
  return {static_cast<uint8_t>(request.SortKey1), static_cast<uint8_t>(request.SortKey2),
          static_cast<uint8_t>(request.SortKey3), false};
}

namespace {

void addKeyPart(TLineKey& key, const TOneFLine& line, uint8_t code) {
  switch (code) {
    case kFoundKeyNameExt:
      key.add(line.NameRank);
      key.add(line.ExtRank);
      break;
    case kFoundKeyExtName:
      key.add(line.ExtRank);
      key.add(line.NameRank);
      break;
    // Dates from 2044 on and sizes from 2 GiB on set the top bit: both are unsigned.
    case kFoundKeyDateTime:
      key.largestFirst(static_cast<uint32_t>(line.Data.DateTime));
      break;
    case kFoundKeySize:
      key.largestFirst(static_cast<uint32_t>(line.Data.Size));
      break;
    case kFoundKeyDiskFolder:
      key.add(line.DiskRank);
      key.add(line.FolderRank);
      break;
    case kFoundKeyFolderDisk:
      key.add(line.FolderRank);
      key.add(line.DiskRank);
      break;
    default:
      break;
  }
}

}  // namespace

void rankFoundFileTexts(std::vector<TOneFLine>& lines) {
  TextRanks texts;
  // A name for each line, and few extensions, disks and folders beside them.
  texts.reserve(lines.size() + lines.size() / 4);
  // The lines of one folder come together and share one place of disk and folder; the
  // lines of a folder often share an extension too. The ranks hold the texts' ids until the
  // texts are ranked.
  // An extension, four bytes at most, is looked up as one number: no text is hashed for it.
  std::unordered_map<uint64_t, uint32_t> extensions;
  const TOneFLine* previous = nullptr;
  for (TOneFLine& line : lines) {
    const std::string_view ext = line.Data.Ext.view();
    line.NameRank = texts.add(line.name(), false);
    if (previous != nullptr && previous->Data.Ext.view() == ext) {
      line.ExtRank = previous->ExtRank;
    } else {
      uint64_t packed = ext.size();
      for (const char c : ext) packed = packed << 8 | static_cast<uint8_t>(c);
      const auto [at, added] = extensions.try_emplace(packed, 0);
      if (added) at->second = texts.add(ext, false);
      line.ExtRank = at->second;
    }
    if (previous != nullptr && previous->place() == line.place()) {
      line.DiskRank = previous->DiskRank;
      line.FolderRank = previous->FolderRank;
    } else {
      line.DiskRank = texts.add(line.diskName(), true);
      line.FolderRank = texts.add(line.folder(), true);
    }
    previous = &line;
  }
  texts.rank();
  for (TOneFLine& line : lines) {
    line.NameRank = texts.rankOf(line.NameRank);
    line.ExtRank = texts.rankOf(line.ExtRank);
    line.DiskRank = texts.rankOf(line.DiskRank);
    line.FolderRank = texts.rankOf(line.FolderRank);
  }
}

TLineKey foundFileKey(const TOneFLine& line, const TFoundFileSort& sort) {
  TLineKey key;
  addKeyPart(key, line, sort.SortKey1);
  addKeyPart(key, line, sort.SortKey2);
  addKeyPart(key, line, sort.SortKey3);
  return key;
}

int foundFileHeaderCode(int column, bool rightHalf) {
  switch (column) {
    case 0:
      return kFoundKeyDiskFolder;
    case 1:
      return kFoundKeyFolderDisk;
    case 2:
      return rightHalf ? kFoundKeyExtName : kFoundKeyNameExt;
    case 3:
      return kFoundKeySize;
    case 4:
      return kFoundKeyDateTime;
    default:
      return -1;
  }
}

std::vector<int32_t> sortedOrder(const std::vector<TLineKey>& keys, bool descending) {
  // A radix sort of the places, least significant digit first, each pass stable: equal keys
  // keep their order, and descending sorts the complements. Only the bits in which some keys
  // differ take a pass, so a part that is the same for all lines costs one look at it.
  constexpr int kDigitBits = 11;
  constexpr uint32_t kDigits = 1u << kDigitBits;
  const size_t n = keys.size();
  std::vector<int32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int32_t>(i);
  if (n < 2) return order;
  uint8_t parts = 0;
  for (const TLineKey& key : keys) parts = std::max(parts, key.Count);
  const uint32_t flip = descending ? 0xFFFFFFFFu : 0u;
  std::vector<int32_t> moved(n);
  std::vector<uint32_t> values(n);
  std::vector<uint32_t> movedValues(n);
  std::vector<uint32_t> counts(kDigits);
  for (size_t p = parts; p-- > 0;) {
    uint32_t differing = 0;
    const uint32_t first = keys[0].Parts[p] ^ flip;
    for (size_t i = 0; i < n; ++i) differing |= (keys[i].Parts[p] ^ flip) ^ first;
    if (differing == 0) continue;
    // The part's values in the present order, read once for all its passes.
    for (size_t i = 0; i < n; ++i) {
      values[i] = keys[static_cast<size_t>(order[i])].Parts[p] ^ flip;
    }
    for (int shift = 0; shift < 32; shift += kDigitBits) {
      if (((differing >> shift) & (kDigits - 1)) == 0) continue;
      std::fill(counts.begin(), counts.end(), 0u);
      for (size_t i = 0; i < n; ++i) ++counts[(values[i] >> shift) & (kDigits - 1)];
      uint32_t sum = 0;
      for (uint32_t& count : counts) sum += std::exchange(count, sum);
      for (size_t i = 0; i < n; ++i) {
        const uint32_t at = counts[(values[i] >> shift) & (kDigits - 1)]++;
        moved[at] = order[i];
        movedValues[at] = values[i];
      }
      order.swap(moved);
      values.swap(movedValues);
    }
  }
  return order;
}

bool sortingProgressDue(int32_t done, int32_t total) {
  if (total < kSortingProgressFrom) return false;
  const int32_t step = total >= 2000 ? total / 50 + 1 : total / 10 + 1;
  return done % step == 0;
}

bool sortFoundFileLines(std::vector<TOneFLine>& lines, const TFoundFileSort& sort,
                        const LineProgress& progress) {
  return sortLines(
      lines, [&sort](const TOneFLine& line) { return foundFileKey(line, sort); }, sort.Reverse,
      progress);
}

std::string foundSizeText(const TOneFLine& line, bool inKB) {
  if (line.isFolder()) return "(folder)";
  if (line.Data.Size == 0 && line.Data.DateTime == 0) return "(disk)";
  return FormatFileSize(line.Data.Size, inKB).str();
}

std::string foundFilesClipboardText(const std::vector<TOneFLine>& lines, int32_t focused,
                                    bool showSeconds, bool inKB) {
  std::string text;
  for (int32_t i = 0; i < static_cast<int32_t>(lines.size()); ++i) {
    const TOneFLine& line = lines[static_cast<size_t>(i)];
    if (!line.selected() && i != focused) continue;
    const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
    text.append(line.diskName()).append("\t").append(line.folder()).append("\t");
    text += line.nameExt() + "\t";
    text += foundSizeText(line, inKB) + "\t";
    if (dateTime != 0) text += FormatDosDate(dateTime).str();
    text += "\t";
    if (dateTime != 0) text += FormatDosTime(dateTime, showSeconds).str();
    text.append("\t").append(line.shortDesc()).append("\r\n");
  }
  return text;
}

}  // namespace vellomar
