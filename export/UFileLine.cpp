#include "export/UFileLine.h"

#include <cstring>
#include <string>

#include "foundation/UBaseUtils.h"

namespace vellomar {

namespace {

// Room for hundreds of names; a name is at most 255 bytes, so one always fits a fresh block.
constexpr size_t kNameBlockSize = 64 * 1024;

std::string joinedName(std::string_view name, std::string_view ext) {
  std::string joined;
  joined.reserve(name.size() + ext.size());
  return joined.append(name).append(ext);
}

}  // namespace

TOneFile TOneFileLine::Entry() const {
  TOneFile entry;
  entry.SubDir = SubDir;
  entry.EntryOffset = EntryOffset;
  entry.Data = Data;
  entry.Name = ShortString(Name());
  return entry;
}

std::string FullNameOf(const TOneFileLine& line) {
  return joinedName(line.Name(), line.Data.Ext.view());
}

std::string FullNameOf(const TOneFile& entry) {
  return joinedName(entry.Name.view(), entry.Data.Ext.view());
}

TOneFileLine& TFileLines::add(const TOneFile& entry) {
  TOneFileLine& line = lines_.emplace_back();
  line.SubDir = entry.SubDir;
  line.EntryOffset = entry.EntryOffset;
  line.Data = entry.Data;
  line.NameChars = keepName(entry.Name.view());
  line.NameLength = static_cast<uint8_t>(entry.Name.length());
  line.Kind = FileLineKind(entry);
  return line;
}

const char* TFileLines::keepName(std::string_view name) {
  if (nameBlocks_.empty() || kNameBlockSize - blockUsed_ < name.size()) {
    nameBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kNameBlockSize));
    blockUsed_ = 0;
  }
  char* kept = nameBlocks_.back().get() + blockUsed_;
  std::memcpy(kept, name.data(), name.size());
  blockUsed_ += name.size();
  return kept;
}

void TFileLines::clear() {
  lines_.clear();
  nameBlocks_.clear();
  blockUsed_ = 0;
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
// Ten digits, so that the texts compare as the numbers do.
std::string& appendDescending(std::string& key, int32_t value) {
  uint32_t n = 0xFFFFFFFFu - static_cast<uint32_t>(value);
  char digits[10];
  for (char* at = digits + sizeof digits; at != digits; n /= 10)
    *--at = static_cast<char>('0' + n % 10);
  return key.append(digits, sizeof digits);
}

}  // namespace

char FileSortGroup(std::string_view name, std::string_view ext, uint8_t kind, bool reverse) {
  constexpr std::string_view kDiskInfo = "DiskInfo.txt";
  if (name.size() + ext.size() == kDiskInfo.size() && kDiskInfo.starts_with(name) &&
      kDiskInfo.ends_with(ext)) {
    return reverse ? '5' : '1';
  }
  if (kind == kLineParent) return reverse ? '4' : '2';
  if (kind == kLineFolder) return '3';
  return reverse ? '1' : '5';
}

void AppendFileSortKey(std::string& key, const TOneFile& entry, uint8_t kind, uint8_t criterion,
                       bool reverse) {
  const std::string_view name = entry.Name.view();
  const std::string_view ext = entry.Data.Ext.view();
  key.push_back(FileSortGroup(name, ext, kind, reverse));
  switch (criterion) {
    case 1:
      key.append(ext).append(name);
      break;
    case 2:
      appendDescending(key, entry.Data.DateTime).append(ext).append(name);
      break;
    case 3:
      appendDescending(key, entry.Data.Size).append(ext).append(name);
      break;
    default:
      key.append(name).append(ext);
      break;
  }
}

ShortString MakeFileSortKey(const TOneFile& entry, uint8_t kind, uint8_t criterion, bool reverse) {
  std::string key;
  AppendFileSortKey(key, entry, kind, criterion, reverse);
  return ShortString(key);
}

void AppendFileSize(std::string& out, int32_t storedSize, bool inKB) {
  if (storedSize >= 0) {
    AppendSizeShort(out, storedSize, inKB);
    return;
  }
  const int64_t size = static_cast<uint32_t>(storedSize);
  if (inKB) {
    AppendSize64(out, size);
  } else {
    AppendThousands(out, size);
  }
}

ShortString FormatFileSize(int32_t storedSize, bool inKB) {
  std::string text;
  AppendFileSize(text, storedSize, inKB);
  return ShortString(text);
}

}  // namespace vellomar
