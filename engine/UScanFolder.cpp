#include "engine/UScanFolder.h"

#include <algorithm>
#include <cstring>

#include "platform/PPaths.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

// A packed file: size, DOS date-time, attributes, regular flag, name length, then the name.
constexpr size_t kPackedHead = 8 + 4 + 2 + 1 + 1;

bool sameFileSystem(const FindEntry& entry, const ScanVolume& volume) {
  return entry.device == volume.Device &&
         (volume.MountId == 0 || entry.mountId == 0 || entry.mountId == volume.MountId);
}

bool isFile(const FindEntry& entry) {
  return (entry.attributes & (kAttrDirectory | kAttrVolumeLabel)) == 0 && !entry.isDirectory();
}

void sortByStoredName(std::vector<ScanEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const ScanEntry& a, const ScanEntry& b) {
    return compareTextThenBytes(a.Name, b.Name) < 0;
  });
}

}  // namespace

ScanVolume scanVolumeOf(const FindSearch& folder) {
  return {folder.device(), folder.mountId(), folder.caseInsensitiveMedia()};
}

void ScanFiles::add(const FindEntry& entry) {
  // Linux names are at most 255 bytes.
  const auto nameLength = static_cast<uint8_t>(std::min<size_t>(entry.name.size(), 255));
  char head[kPackedHead];
  const uint8_t regular = entry.kind == EntryKind::kFile ? 1 : 0;
  std::memcpy(head, &entry.size, 8);
  std::memcpy(head + 8, &entry.dosDateTime, 4);
  std::memcpy(head + 12, &entry.attributes, 2);
  head[14] = static_cast<char>(regular);
  head[15] = static_cast<char>(nameLength);
  bytes_.append(head, kPackedHead);
  bytes_.append(entry.name, 0, nameLength);
}

std::vector<ScanEntry> ScanFiles::entries(const ScanVolume& volume) const {
  // Counted first: a list grown by doubling may hold near twice the room of a huge folder.
  size_t count = 0;
  for (size_t pos = 0; pos + kPackedHead <= bytes_.size(); ++count) {
    pos += kPackedHead + static_cast<uint8_t>(bytes_[pos + kPackedHead - 1]);
  }
  std::vector<ScanEntry> entries;
  entries.reserve(count);
  for (size_t pos = 0; pos + kPackedHead <= bytes_.size();) {
    const char* head = bytes_.data() + pos;
    ScanEntry& entry = entries.emplace_back();
    std::memcpy(&entry.Size, head, 8);
    std::memcpy(&entry.DosDateTime, head + 8, 4);
    std::memcpy(&entry.Attributes, head + 12, 2);
    entry.Regular = head[14] != 0;
    const size_t nameLength = static_cast<uint8_t>(head[15]);
    entry.FoundName.assign(head + kPackedHead, nameLength);
    entry.Name = storedNameOf(entry.FoundName, volume.CaseInsensitive);
    pos += kPackedHead + nameLength;
  }
  sortByStoredName(entries);
  return entries;
}

ScanFolderContents readScanFolder(FindSearch& folder, const ScanVolume& volume) {
  ScanFolderContents contents;
  if (folder.device() != volume.Device) return contents;
  FindEntry found;
  while (folder.next(found)) {
    if (found.isDirectory()) {
      ScanEntry& entry = contents.Folders.emplace_back();
      entry.Name = storedNameOf(found.name, volume.CaseInsensitive);
      entry.FoundName = std::move(found.name);
      entry.Attributes = found.attributes;
      entry.Enterable = sameFileSystem(found, volume);
    } else if (isFile(found)) {
      contents.Files.add(found);
    }
  }
  sortByStoredName(contents.Folders);
  contents.Files.shrinkToFit();
  return contents;
}

std::string storedNameOf(std::string_view foundName, bool caseInsensitive) {
  std::string name = systemNameOf(foundName);
  return caseInsensitive ? caseRuleName(name) : name;
}

std::string caseRuleName(std::string_view name) {
  return hasLowerCase(name) ? std::string(name) : lowerText(name);
}

}  // namespace vellomar
