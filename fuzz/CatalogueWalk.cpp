#include "fuzz/CatalogueWalk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <unordered_set>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDescBlock.h"
#include "engine/UDiskBlock.h"
#include "engine/UDiskWalk.h"
#include "engine/UFileListBlock.h"
#include "engine/UMasks.h"
#include "engine/UTreeStruct.h"
#include "foundation/UExceptions.h"
#include "fuzz/FuzzFile.h"

namespace vellomar::fuzz {

namespace {

// Each key costs the walks a disk load, and a shifted head turns the table's 10000 zero entries
// into keys: copies past the second reach nothing the first two did not, and 64 keys take the
// sorts and walks over the table down every path but the growth of the found list past 1000
// disks, which the collection's own tests cover.
constexpr size_t kMaxKeys = 64;
constexpr int kMaxCopies = 2;

class Walker {
 public:
  explicit Walker(TDBase& handle) : handle_(handle), stream_(handle.Stream) {}

  void disk(int32_t offset) {
    guarded([&] {
      const BlockStart start = startOf(offset, kBlockHeadSize, kDamageSeekPastEnd);
      ByteReader headReader(start.Head);
      const TDiskBlockHead diskHead = readDiskBlockHead(headReader, start.Left, kDamageDiskBlock);
      const std::vector<uint8_t> block = read(offset, static_cast<uint32_t>(diskHead.Length));
      ByteReader r(block);
      r.skip(kBlockHeadSize);
      const TDiskInfo info = readDiskInfo(r, diskHead.Form);
      requireRead(r, kDamageDiskDetails);
      handle_.keyTable().FindKey(info.DiskName, 0);
      folders(r);
    });
  }

 private:
  template <class Read>
  void guarded(Read read) {
    try {
      read();
    } catch (const EKstvDBaseStructException&) {
      ++handle_.DamageCounter;
    }
  }

  struct BlockStart {
    uint64_t Left;  // bytes of the file from the block's start
    std::vector<uint8_t> Head;
  };

  // The head of the block at offset, as much of headSize bytes as the file holds; an offset
  // outside the file is damage `code`.
  BlockStart startOf(int32_t offset, size_t headSize, int code) {
    const uint64_t size = stream_.GetSize();
    if (offset < 0 || static_cast<uint64_t>(offset) >= size) throw EKstvDBaseStructException(code);
    const uint64_t left = size - static_cast<uint64_t>(offset);
    return {left, read(offset, std::min<uint64_t>(headSize, left))};
  }

  std::vector<uint8_t> read(int32_t offset, uint64_t n) {
    std::vector<uint8_t> bytes(n);
    stream_.Seek(static_cast<uint32_t>(offset));
    if (n > 0) stream_.ReadExact(bytes.data(), bytes.size());
    return bytes;
  }

  // The records lie in preorder: each folder, then its subfolders' subtrees.
  void folders(ByteReader& r) {
    std::vector<uint32_t> pending{r.atEnd() ? 0u : 1u};
    while (!pending.empty()) {
      if (pending.back() == 0) {
        pending.pop_back();
        continue;
      }
      --pending.back();
      const TFolderRecord record = readFolderRecord(r);
      description(record.Data.DescOffset);
      fileList(record.Data.FileListOffset);
      if (record.SubDirCount > 0) pending.push_back(record.SubDirCount);
    }
    requireFolderRecordsEnd(r);
  }

  void fileList(int32_t offset) {
    if (offset == 0) return;
    guarded([&] {
      const BlockStart start = startOf(offset, kFileListFixedSize, kDamageFileList);
      ByteReader headReader(start.Head);
      readFileListHead(headReader, start.Left);
      ByteReader lengthReader(start.Head);
      const auto length = static_cast<uint32_t>(readBlockHead(lengthReader).Length);
      const std::vector<uint8_t> block = read(offset, length);
      ByteReader r(block);
      const uint32_t count = readFileListHead(r, start.Left);
      for (uint32_t i = 0; i < count; ++i) {
        ByteReader record(readListEntryView(r, count - i - 1).Record);
        description(record.i32());
      }
      if (!r.atEnd()) raiseFileListDamage();
    });
  }

  void description(int32_t offset) {
    if (offset == 0) return;
    guarded([&] {
      const BlockStart start = startOf(offset, kDescBlockFixedSize, kDamageDescFull);
      ByteReader headReader(start.Head);
      const uint32_t textLength = readDescBlockHead(headReader, start.Left, kDamageDescFull);
      const std::vector<uint8_t> text =
          read(static_cast<int32_t>(offset + kDescBlockFixedSize), textLength);
      const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
      FindMaskInText("*a*", view, false, true, true);
    });
  }

  TDBase& handle_;
  TKFileStream& stream_;
};

}  // namespace

void walkCatalogue(TDBase& handle) {
  Walker walker(handle);
  const TKeyField& keys = handle.keyTable().keys();
  // Keys of a damaged table may share a block; its tree is read once.
  std::unordered_set<int32_t> walked;
  for (int32_t i = 0; i < keys.count(); ++i) {
    handle.keyTable().ReadDiskName(keys.Keys[i].Offset);
    if (walked.insert(keys.Keys[i].Offset).second) walker.disk(keys.Keys[i].Offset);
  }
  TItemCollection<TMaskItem> masks(10, 10);
  TItemCollection<TFilterModule> modules(10, 10);
  ParseMaskList(handle.LocalOptions.DescFileTable, masks, modules, false);
}

// Not traced for coverage: its branches tell nothing of the readers, and it looks at all 10000
// entries of every input.
__attribute__((no_sanitize("coverage"))) void boundKeyTable(std::vector<uint8_t>& file) {
  constexpr size_t kEntriesOffset = kKeyFieldOffset + kKeyFieldHeadSize;
  if (file.size() < kEntriesOffset) return;
  ByteReader head(std::span<const uint8_t>(file).subspan(kKeyFieldOffset));
  const size_t keys = readKeyFieldHead(head).Keys.size();
  if ((file.size() - kEntriesOffset) / kKeyEntrySize < keys) return;
  uint8_t* const entries = file.data() + kEntriesOffset;
  uint64_t previous = 0;
  size_t kept = 0;
  int copies = 0;
  for (size_t i = 0; i < keys && kept < kMaxKeys; ++i) {
    uint64_t entry = 0;
    std::memcpy(&entry, entries + i * kKeyEntrySize, kKeyEntrySize);
    copies = i > 0 && entry == previous ? copies + 1 : 1;
    previous = entry;
    if (copies > kMaxCopies) continue;
    std::memcpy(entries + kept * kKeyEntrySize, &entry, kKeyEntrySize);
    ++kept;
  }
  if (kept < keys) setKeyCount(file, kept);
}

void blocksFileOf(std::span<const uint8_t> input, std::vector<uint8_t>& file) {
  static const std::vector<uint8_t> front = [] {
    TLocalOptions options;
    SetDefaultLocalOptions(options);
    Scrambler scrambler;
    std::vector<uint8_t> bytes = newDBaseFileBytes(THeaderRecord{}, options, scrambler);
    bytes.resize(kKeyFieldOffset);
    return bytes;
  }();
  ByteReader head(input);
  const size_t held =
      input.size() < kKeyFieldHeadSize ? 0 : (input.size() - kKeyFieldHeadSize) / kKeyEntrySize;
  const size_t keys = std::min(readKeyFieldHead(head).Keys.size(), held);
  const size_t keyBytes = std::min(input.size(), kKeyFieldHeadSize + kKeyEntrySize * keys);
  file.assign(front.begin(), front.end());
  file.insert(file.end(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes));
  if (keyBytes >= kKeyFieldHeadSize) setKeyCount(file, keys);
  file.resize(kDataAreaOffset);
  file.insert(file.end(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes), input.end());
}

void setKeyCount(std::vector<uint8_t>& file, size_t count) {
  for (size_t i = 0; i < 4; ++i) {
    file[kKeyFieldOffset + kKeyCountOffset + i] = static_cast<uint8_t>(count >> (8 * i));
  }
}

void exerciseCatalogue(std::vector<uint8_t>& file) {
  boundKeyTable(file);
  writeScratchFile(file);
  const std::string& path = scratchPath();
  Scrambler scrambler;
  CheckDBaseHeader(path, scrambler);
  TDBase handle(scrambler);
  try {
    OpenDBaseFile(handle, path, false);
  } catch (const EKstvException&) {
    // Refused, or the key table runs past the end of the file.
    return;
  }
  try {
    walkCatalogue(handle);
    // The engine's own walks: every disk's tree and file lists, then every disk's sizes.
    TTreeSlots trees;
    IterateDisks(handle, trees, kWalkNotSelectedDisks, kWalkMeasure);
    SearchFreeSpace(handle, trees);
    TDBaseStats stats;
    GetDBaseStats(handle, stats);
    KeyTable& keys = handle.keyTable();
    if (!handle.ReadOnly && keys.keys().LiveCount > 0) {
      keys.RepositionKey(keys.keys().LiveCount - 1);
      keys.MoveKeyToDeleted(0);
    }
    CloseDBaseFile(handle, false);
  } catch (const EKstvException&) {
    // Damage met by a key move, or a write refused: the handle stays consistent either way.
  }
}

}  // namespace vellomar::fuzz
