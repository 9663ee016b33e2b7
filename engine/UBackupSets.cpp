#include "engine/UBackupSets.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UShortString.h"
#include "platform/PAsciiText.h"

namespace vellomar {

namespace {

// Control characters in the fixed text fields of backup catalogues read as blanks.
std::string blanked(std::string_view bytes) {
  std::string text(bytes);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x20; }, ' ');
  return text;
}

std::string blanked(std::span<const uint8_t> bytes) {
  return blanked(asText(bytes));
}

std::string_view withoutDrive(std::string_view name) {
  return name.size() >= 2 && name[1] == ':' ? name.substr(2) : name;
}

// Folders of a backed-up disk below its root, one per level.
class FolderPath {
 public:
  // Appends the folders of a name such as "DOS", "\DOS\UTIL\" or "C:\"; returns how many.
  size_t enter(std::string_view name) {
    size_t added = 0;
    for (size_t start = 0; start <= name.size();) {
      const size_t end = std::min(name.find('\\', start), name.size());
      if (end > start) {
        folders_.emplace_back(name.substr(start, end - start));
        ++added;
      }
      start = end + 1;
    }
    return added;
  }
  // Leaves the last count folders; never above the root.
  void leave(size_t count) { folders_.resize(folders_.size() - std::min(count, folders_.size())); }
  void cutTo(size_t depth) { folders_.resize(std::min(depth, folders_.size())); }
  void clear() { folders_.clear(); }

  // Each folder followed by "\"; empty for the root.
  std::string text() const {
    std::string path;
    for (const std::string& folder : folders_) path += folder + '\\';
    return path;
  }

 private:
  std::vector<std::string> folders_;
};

void addFile(TArchiveEntryList& list, const FolderPath& folder, std::string_view name, uint8_t attr,
             uint32_t dateTime, uint32_t size) {
  addArchiveMember(list, memberName(folder.text().append(name), NameCoding::kOem), attr,
                   static_cast<int32_t>(dateTime), size, 0);
}

// --- MS-DOS BACKUP ---

constexpr size_t kDosHeaderMinLength = 75;
constexpr size_t kDosFolderMinLength = 40;
constexpr size_t kDosFileLength = 34;  // the fixed part a file record must hold
constexpr std::string_view kDosSignature = "BACKUP";

bool walkDosBackup(TArchiveEntryList& list, ArchiveFile& file) {
  FolderPath folder;
  bool listed = false;
  for (uint64_t position = 0; position < file.size();) {
    const size_t length = file.read(position, 1).u8();
    if (length == 0) break;  // a record of no length would never advance
    ByteReader record = file.read(position, length);
    if (record.size() < length) return false;
    position += length;
    record.skip(1);
    if (length >= kDosHeaderMinLength) {
      if (blanked(record.bytes(kDosSignature.size())) != kDosSignature) break;
    } else if (length >= kDosFolderMinLength) {
      const std::string text = blanked(record.bytes(length - 1));
      folder.clear();
      folder.enter(std::string_view(text).substr(0, text.find(' ')));
    } else {
      if (length < kDosFileLength) break;
      const std::string name = blanked(untilZero(asText(record.bytes(12))));
      record.seek(24);
      const uint32_t size = record.u32();
      const uint8_t attr = record.u8();
      record.skip(1);
      const uint32_t dateTime = record.u32();
      addFile(list, folder, trimEnd(name, kSpaces), attr, dateTime, size);
      listed = true;
    }
  }
  return listed;
}

// --- PC-Backup ---

constexpr std::string_view kPcSignature =
    "\x01"
    "DCP";
constexpr uint8_t kPcFolderBegins = 0xDA;
constexpr uint8_t kPcFile = 0xDB;
constexpr uint8_t kPcFolderEnds = 0xDC;
constexpr size_t kPcFolderLength = 15;
constexpr size_t kPcFileLength = 27;
constexpr size_t kPcMaxFileName = 12;
constexpr size_t kPcSearchBlock = 4096;
constexpr const char* kPcWarning = "   Central dir of PC-Backup not found  ";

// Position after the first 0xDA byte at or behind start; 0 when there is none.
uint64_t behindFirstFolder(ArchiveFile& file, uint64_t start) {
  for (uint64_t position = start; position < file.size(); position += kPcSearchBlock) {
    ByteReader block = file.read(position, kPcSearchBlock);
    const std::string_view bytes = asText(block.bytes(block.size()));
    const size_t at = bytes.find(static_cast<char>(kPcFolderBegins));
    if (at != std::string_view::npos) return position + at + 1;
  }
  return 0;
}

std::string_view recordName(const std::string& text, size_t limit) {
  return untilZero(std::string_view(text).substr(1, limit));
}

bool walkPcBackup(TArchiveEntryList& list, ArchiveFile& file) {
  if (asText(file.read(0, kPcSignature.size()).bytes(kPcSignature.size())) != kPcSignature) {
    CallbackAppendText(ShortString(kPcWarning));
    return false;
  }
  uint64_t position = behindFirstFolder(file, kPcSignature.size());
  if (position == 0) return false;
  FolderPath folder;
  std::vector<size_t> entered;  // folders each open record added
  bool listed = false;
  uint8_t type = kPcFolderBegins;
  for (;;) {
    const size_t length = type == kPcFolderBegins ? kPcFolderLength
                          : type == kPcFile       ? kPcFileLength
                                                  : 0;
    ByteReader record = file.read(position, length);
    if (record.size() < length) return false;
    position += length;
    const std::string text(asText(record.bytes(length)));
    if (type == kPcFolderBegins) {
      entered.push_back(folder.enter(withoutDrive(recordName(text, kPcFolderLength - 1))));
    } else if (type == kPcFile) {
      record.seek(15);
      const uint16_t date = record.u16();
      const uint16_t time = record.u16();
      const uint32_t size = record.u32();
      addFile(list, folder, recordName(text, kPcMaxFileName), 0,
              static_cast<uint32_t>(date) << 16 | time, size);
      listed = true;
    } else if (type == kPcFolderEnds) {
      if (!entered.empty()) {
        folder.leave(entered.back());
        entered.pop_back();
      }
    } else {
      break;
    }
    if (position >= file.size()) break;
    type = file.read(position++, 1).u8();
  }
  return listed;
}

// --- Norton Backup ---

constexpr std::string_view kNortonSignature("\0NORTON Ver 1", 13);
constexpr size_t kNortonSignatureRecord = 16;
constexpr size_t kNortonRecord = 32;
constexpr uint8_t kNortonEnd = 0xFF;
constexpr uint8_t kNortonFile = 0;
constexpr size_t kNortonFolderName = 31;

bool isNortonSignature(ArchiveFile& file, uint64_t position) {
  ByteReader record = file.read(position, kNortonSignature.size());
  return record.size() == kNortonSignature.size() &&
         asText(record.bytes(kNortonSignature.size())) == kNortonSignature;
}

std::string nortonFileName(const std::string& text) {
  std::string name(trimEnd(std::string_view(text).substr(1, 8), kSpaces));
  const std::string_view extension = trimEnd(std::string_view(text).substr(9, 3), kSpaces);
  if (!extension.empty()) name.append(".").append(extension);
  return name;
}

bool walkNortonBackup(TArchiveEntryList& list, ArchiveFile& file) {
  FolderPath folder;
  bool listed = false;
  for (uint64_t position = 0;;) {
    if (isNortonSignature(file, position)) {
      position += kNortonSignatureRecord;
      continue;
    }
    ByteReader record = file.read(position, kNortonRecord);
    if (record.size() < kNortonRecord) return false;
    position += kNortonRecord;
    const std::span<const uint8_t> bytes = record.bytes(kNortonRecord);
    const std::string text = blanked(bytes);
    const uint8_t type = bytes[0];
    if (type == kNortonEnd) break;
    if (type == kNortonFile) {
      record.seek(12);
      const uint8_t attr = record.u8();
      record.seek(16);
      const uint32_t dateTime = record.u32();
      const uint32_t size = record.u32();
      addFile(list, folder, nortonFileName(text), attr, dateTime, size);
      listed = true;
    } else {
      folder.cutTo(type - 1u);
      const std::string name = blanked(untilZero(asText(bytes.subspan(1, kNortonFolderName))));
      folder.enter(withoutDrive(trimEnd(name, kSpaces)));
    }
  }
  return listed;
}

}  // namespace

bool ReadDosBackup(TArchiveEntryList& list, const std::string& path) {
  return listArchive(list, path, [&](ArchiveFile& file) { return walkDosBackup(list, file); });
}

bool ReadPcBackup(TArchiveEntryList& list, const std::string& path) {
  return listArchive(list, path, [&](ArchiveFile& file) { return walkPcBackup(list, file); });
}

bool ReadNortonBackup(TArchiveEntryList& list, const std::string& path) {
  {
    ArchiveFile file;
    if (!file.open(path) || !isNortonSignature(file, 0)) return false;
  }
  return listArchive(list, path, [&](ArchiveFile& file) { return walkNortonBackup(list, file); });
}

}  // namespace vellomar
