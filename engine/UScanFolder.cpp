#include "engine/UScanFolder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/PPaths.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

// A packed file: size, DOS date-time, attributes, flags, found name length, the found name;
// then, flagged, the stored name's 16-bit length and the stored name.
constexpr size_t kPackedHead = 8 + 4 + 2 + 1 + 1;
constexpr size_t kPackedFlagsAt = 14;
constexpr size_t kPackedNameLengthAt = 15;
constexpr uint8_t kPackedRegular = 1;
constexpr uint8_t kPackedStoredName = 2;
// Room for a folder of a few dozen files at once, given back at shrinkToFit: a folder's files
// then grow in one step rather than through a doubling for every few of them.
constexpr size_t kFirstRoom = 2048;

struct PackedFile {
  const char* Head;
  std::string_view FoundName;
  std::string_view StoredName;
  size_t End;  // where the next file starts
};

PackedFile unpack(const std::string& bytes, size_t pos) {
  PackedFile file{bytes.data() + pos, {}, {}, pos + kPackedHead};
  const auto foundLength = static_cast<uint8_t>(file.Head[kPackedNameLengthAt]);
  file.FoundName = std::string_view(bytes).substr(file.End, foundLength);
  file.StoredName = file.FoundName;
  file.End += foundLength;
  if (file.Head[kPackedFlagsAt] & kPackedStoredName) {
    uint16_t storedLength = 0;
    std::memcpy(&storedLength, bytes.data() + file.End, 2);
    file.StoredName = std::string_view(bytes).substr(file.End + 2, storedLength);
    file.End += 2 + storedLength;
  }
  return file;
}

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

void ScanFiles::add(const FindEntry& entry, const ScanVolume& volume) {
  // Linux names are at most 255 bytes.
  const auto foundLength = static_cast<uint8_t>(std::min<size_t>(entry.name.size(), 255));
  const std::string_view found = std::string_view(entry.name).substr(0, foundLength);
  // Most names are stored as found: the stored form is made only where it may differ.
  std::string stored;
  if (volume.CaseInsensitive || found.find('\\') != std::string_view::npos) {
    stored = storedNameOf(found, volume.CaseInsensitive);
  }
  const bool storedApart = !stored.empty() && stored != found;
  if (bytes_.capacity() < kFirstRoom) bytes_.reserve(kFirstRoom);
  char head[kPackedHead];
  uint8_t flags = entry.kind == EntryKind::kFile ? kPackedRegular : 0;
  if (storedApart) flags |= kPackedStoredName;
  std::memcpy(head, &entry.size, 8);
  std::memcpy(head + 8, &entry.dosDateTime, 4);
  std::memcpy(head + 12, &entry.attributes, 2);
  head[kPackedFlagsAt] = static_cast<char>(flags);
  head[kPackedNameLengthAt] = static_cast<char>(foundLength);
  bytes_.append(head, kPackedHead);
  bytes_.append(found);
  if (storedApart) {
    // Lower-casing may lengthen a name past 255 bytes.
    const auto storedLength = static_cast<uint16_t>(std::min<size_t>(stored.size(), UINT16_MAX));
    bytes_.append(reinterpret_cast<const char*>(&storedLength), 2);
    bytes_.append(stored, 0, storedLength);
  }
  ++count_;
  nameBytes_ += storedApart ? stored.size() : found.size();
}

void ScanFiles::visit(const std::function<void(ScanEntry&)>& visit) const {
  // Most comparisons end on the first sixteen bytes of the names' collation keys, without
  // reaching into the packed bytes; two prefixes that differ order their names as compareText
  // does.
  struct Slot {
    std::array<uint64_t, 2> KeyPrefix;
    size_t Pos;
    bool Keyed;
  };
  std::vector<Slot> order;
  order.reserve(count_);
  for (size_t pos = 0; pos < bytes_.size();) {
    const PackedFile file = unpack(bytes_, pos);
    Slot& slot = order.emplace_back();
    slot.Pos = pos;
    slot.Keyed = asciiCollationPrefix(file.StoredName, slot.KeyPrefix);
    pos = file.End;
  }
  std::sort(order.begin(), order.end(), [this](const Slot& a, const Slot& b) {
    if (a.Keyed && b.Keyed && a.KeyPrefix != b.KeyPrefix) return a.KeyPrefix < b.KeyPrefix;
    return compareTextThenBytes(unpack(bytes_, a.Pos).StoredName,
                                unpack(bytes_, b.Pos).StoredName) < 0;
  });
  ScanEntry entry;
  for (const Slot& slot : order) {
    const PackedFile file = unpack(bytes_, slot.Pos);
    std::memcpy(&entry.Size, file.Head, 8);
    std::memcpy(&entry.DosDateTime, file.Head + 8, 4);
    std::memcpy(&entry.Attributes, file.Head + 12, 2);
    entry.Regular = (file.Head[kPackedFlagsAt] & kPackedRegular) != 0;
    entry.FoundName.assign(file.FoundName);
    entry.Name.assign(file.StoredName);
    visit(entry);
  }
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
      contents.Files.add(found, volume);
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
