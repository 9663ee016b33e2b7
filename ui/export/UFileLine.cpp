#include "ui/export/UFileLine.h"

#include <cstdio>
#include <string>

#include "foundation/UBaseUtils.h"

namespace vellomar {

TOneFileLine::TOneFileLine(const TOneFile& entry) : Kind(FileLineKind(entry)) {
  NewOneFile(Entry, entry);
}

uint8_t FileLineKind(const TOneFile& entry) {
  if (entry.Name.view() == "..") return kLineParent;
  if ((entry.Data.Attr & kAttrArchiveFolder) != 0) return kLineArchive;
  if ((entry.Data.Attr & kAttrFolder) != 0) return kLineFolder;
  return kLineFile;
}

namespace {

// Larger values give smaller texts, so that they sort first. Unsigned: a DOS date past 2043
// has its top bit set and is still the newest.
std::string descendingNumber(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%10.10u", 0xFFFFFFFFu - static_cast<uint32_t>(value));
  return text;
}

std::string blankGrouped(uint32_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(' ');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

}  // namespace

char FileSortGroup(const TOneFile& entry, uint8_t kind, bool reverse) {
  constexpr std::string_view kDiskInfo = "DiskInfo.txt";
  const std::string_view name = entry.Name.view();
  const std::string_view ext = entry.Data.Ext.view();
  if (name.size() + ext.size() == kDiskInfo.size() && kDiskInfo.starts_with(name) &&
      kDiskInfo.ends_with(ext)) {
    return reverse ? '5' : '1';
  }
  if (kind == kLineParent) return reverse ? '4' : '2';
  if (kind == kLineFolder) return '3';
  return reverse ? '1' : '5';
}

ShortString MakeFileSortKey(const TOneFile& entry, uint8_t kind, uint8_t criterion, bool reverse) {
  const std::string_view name = entry.Name.view();
  const std::string_view ext = entry.Data.Ext.view();
  std::string key(1, FileSortGroup(entry, kind, reverse));
  switch (criterion) {
    case 1:
      key.append(ext).append(name);
      break;
    case 2:
      key.append(descendingNumber(entry.Data.DateTime)).append(ext).append(name);
      break;
    case 3:
      key.append(descendingNumber(entry.Data.Size)).append(ext).append(name);
      break;
    default:
      key.append(name).append(ext);
      break;
  }
  return ShortString(key);
}

ShortString FormatFileSize(int32_t storedSize, bool inKB) {
  if (storedSize >= 0) return FormatSizeShort(storedSize, inKB);
  const uint32_t size = static_cast<uint32_t>(storedSize);
  return inKB ? FormatSize64(int64_t{size}) : ShortString(blankGrouped(size));
}

}  // namespace vellomar
