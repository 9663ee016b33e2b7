#include "ui/search/UFoundEmptyLines.h"

#include <algorithm>

#include "foundation/UBaseUtils.h"
#include "ui/common/UTextRanks.h"

namespace vellomar {

TOneELine::TOneELine(int32_t diskSizeKB, int32_t freeKB, std::string_view diskName,
                     std::string_view text, int32_t index)
    : DiskSizeKB(diskSizeKB), FreeKB(freeKB), DiskName(diskName), Text(text), Index(index) {}

int64_t TOneELine::percentage() const {
  if (DiskSizeKB <= 0) return 0;
  return int64_t{FreeKB} * 100 / DiskSizeKB;
}

void TFoundEmptySort::choose(uint8_t mode) {
  if (mode == Mode) {
    Reverse = !Reverse;
  } else {
    Mode = mode;
    Reverse = false;
  }
}

namespace {

// Damaged disk records may hold negative figures; they sort as 0.
uint32_t keyValue(int64_t value) {
  return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 0xFFFFFFFF));
}

}  // namespace

void rankFoundEmptyTexts(std::vector<TOneELine>& lines) {
  TextRanks texts;
  std::vector<uint32_t> ids;
  ids.reserve(lines.size());
  for (const TOneELine& line : lines) ids.push_back(texts.add(line.DiskName, false));
  texts.rank();
  for (size_t i = 0; i < lines.size(); ++i) lines[i].DiskRank = texts.rankOf(ids[i]);
}

TLineKey foundEmptyKey(const TOneELine& line, uint8_t mode) {
  TLineKey key;
  switch (mode) {
    case kEmptyModeFree:
      key.largestFirst(keyValue(line.FreeKB));
      key.add(line.DiskRank);
      break;
    case kEmptyModeSize:
      key.largestFirst(keyValue(line.DiskSizeKB));
      key.add(line.DiskRank);
      break;
    case kEmptyModePercent:
      key.largestFirst(keyValue(line.percentage()));
      key.add(line.DiskRank);
      break;
    default:
      key.add(line.DiskRank);
      key.largestFirst(keyValue(line.FreeKB));
      break;
  }
  return key;
}

int foundEmptyHeaderCode(int column) {
  switch (column) {
    case 0:
      return kEmptyModeDisk;
    case 1:
      return kEmptyModeSize;
    case 2:
      return kEmptyModeFree;
    case 3:
      return kEmptyModePercent;
    default:
      return -1;
  }
}

bool sortFoundEmptyLines(std::vector<TOneELine>& lines, const TFoundEmptySort& sort,
                         const LineProgress& progress) {
  return sortLines(
      lines, [&sort](const TOneELine& line) { return foundEmptyKey(line, sort.Mode); },
      sort.Reverse, progress);
}

std::string percentageText(const TOneELine& line) {
  return std::to_string(line.percentage()) + "%";
}

std::string freeSpaceClipboardText(const std::vector<TOneELine>& lines, int32_t focused) {
  std::string text;
  for (int32_t i = 0; i < static_cast<int32_t>(lines.size()); ++i) {
    const TOneELine& line = lines[i];
    if (!line.selected() && i != focused) continue;
    text += line.DiskName + "\t";
    text += FormatSize64(int64_t{line.DiskSizeKB} * 1024).str() + "\t";
    text += FormatSize64(int64_t{line.FreeKB} * 1024).str() + "\t";
    text += percentageText(line) + "\r\n";
  }
  return text;
}

}  // namespace vellomar
