#include "engine/UScanFolder.h"

#include <algorithm>

#include "platform/PFind.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

bool sameFileSystem(const FindEntry& entry, const ScanVolume& volume) {
  return entry.device == volume.Device &&
         (volume.MountId == 0 || entry.mountId == 0 || entry.mountId == volume.MountId);
}

bool picked(const FindEntry& entry, ScanPick pick) {
  if (pick == ScanPick::kFolders) return entry.isDirectory();
  return (entry.attributes & (kAttrDirectory | kAttrVolumeLabel)) == 0 && !entry.isDirectory();
}

}  // namespace

std::optional<ScanVolume> openScanVolume(const std::string& linuxFolder) {
  FindSearch search;
  if (!search.openAt(linuxFolder)) return std::nullopt;
  return ScanVolume{search.device(), search.mountId(), search.caseInsensitiveMedia()};
}

std::vector<ScanEntry> readScanFolder(const std::string& linuxFolder, const ScanVolume& volume,
                                      ScanPick pick) {
  std::vector<ScanEntry> entries;
  FindSearch search;
  // A folder replaced by a mount since its parent was read is not entered either.
  if (!search.openAt(linuxFolder) || search.device() != volume.Device) return entries;
  FindEntry found;
  const FindWanted wanted =
      pick == ScanPick::kFolders ? FindWanted::kFolders : FindWanted::kNonFolders;
  while (search.next(found, wanted)) {
    if (!picked(found, pick)) continue;
    ScanEntry& entry = entries.emplace_back();
    entry.Name = volume.CaseInsensitive ? caseRuleName(found.name) : found.name;
    entry.FoundName = std::move(found.name);
    entry.Size = found.size;
    entry.DosDateTime = found.dosDateTime;
    entry.Attributes = found.attributes;
    entry.Regular = found.kind == EntryKind::kFile;
    entry.Enterable = found.isDirectory() && sameFileSystem(found, volume);
  }
  std::sort(entries.begin(), entries.end(), [](const ScanEntry& a, const ScanEntry& b) {
    return compareTextThenBytes(a.Name, b.Name) < 0;
  });
  return entries;
}

std::string caseRuleName(std::string_view name) {
  return hasLowerCase(name) ? std::string(name) : lowerText(name);
}

}  // namespace vellomar
