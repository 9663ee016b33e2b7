#include "ui/search/UFoundFileLines.h"

#include <algorithm>
#include <array>

#include "foundation/UBaseUtils.h"
#include "ui/common/UTextRanks.h"
#include "ui/panels/UFileTexts.h"

namespace vellomar {

TOneFLine::TOneFLine(const TOneFile& file, uint8_t flags, int32_t index, std::string_view diskName,
                     std::string_view folder, std::string_view shortDesc)
    : Data(file.Data),
      EntryOffset(file.EntryOffset),
      Name(file.Name.view()),
      DiskName(diskName),
      Folder(folder),
      ShortDesc(shortDesc),
      Index(index),
      Flags(flags) {}

TOneFLine::TOneFLine(const TFoundItemView& item, int32_t index)
    : Data(item.Data),
      EntryOffset(item.EntryOffset),
      Name(item.Name),
      DiskName(item.DiskName),
      Folder(item.FolderPath),
      ShortDesc(item.ShortDesc),
      Index(index) {}

std::string TOneFLine::nameExt() const {
  std::string text = Name;
  text += Data.Ext.view();
  return text;
}

TOneFile TOneFLine::file() const {
  TOneFile record;
  record.EntryOffset = EntryOffset;
  record.Data = Data;
  record.Name = ShortString(Name);
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
  struct Ids {
    uint32_t name, ext, disk, folder;
  };
  std::vector<Ids> ids;
  ids.reserve(lines.size());
  // The lines of one folder come together: their disk and folder are the last line's.
  const TOneFLine* previous = nullptr;
  for (const TOneFLine& line : lines) {
    Ids id{texts.add(line.Name, false), texts.add(line.Data.Ext.view(), true), 0, 0};
    const bool sameDisk = previous != nullptr && previous->DiskName == line.DiskName;
    id.disk = sameDisk ? ids.back().disk : texts.add(line.DiskName, true);
    id.folder = sameDisk && previous->Folder == line.Folder ? ids.back().folder
                                                            : texts.add(line.Folder, true);
    ids.push_back(id);
    previous = &line;
  }
  texts.rank();
  for (size_t i = 0; i < lines.size(); ++i) {
    lines[i].NameRank = texts.rankOf(ids[i].name);
    lines[i].ExtRank = texts.rankOf(ids[i].ext);
    lines[i].DiskRank = texts.rankOf(ids[i].disk);
    lines[i].FolderRank = texts.rankOf(ids[i].folder);
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
  // The parts two to a number, beside the line's index: a comparison reads no other memory,
  // and the index as the last word keeps equal keys in their order.
  struct Packed {
    std::array<uint64_t, 3> words;
    int32_t index;
  };
  std::vector<Packed> packed(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    const auto& parts = keys[i].Parts;
    for (size_t w = 0; w < 3; ++w) {
      packed[i].words[w] = uint64_t{parts[2 * w]} << 32 | parts[2 * w + 1];
    }
    packed[i].index = static_cast<int32_t>(i);
  }
  std::sort(packed.begin(), packed.end(), [descending](const Packed& a, const Packed& b) {
    if (a.words != b.words) return descending ? b.words < a.words : a.words < b.words;
    return a.index < b.index;
  });
  std::vector<int32_t> order(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) order[i] = packed[i].index;
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
    text += line.DiskName + "\t" + line.Folder + "\t" + line.nameExt() + "\t";
    text += foundSizeText(line, inKB) + "\t";
    if (dateTime != 0) text += FormatDosDate(dateTime).str();
    text += "\t";
    if (dateTime != 0) text += FormatDosTime(dateTime, showSeconds).str();
    text += "\t" + line.ShortDesc + "\r\n";
  }
  return text;
}

}  // namespace vellomar
