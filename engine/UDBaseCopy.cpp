#include "engine/UDBaseCopy.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDescBlock.h"
#include "engine/UEngineFileFind.h"
#include "engine/UFileListBlock.h"
#include "engine/UKeyField.h"
#include "engine/UKeyTable.h"
#include "engine/UStreamBytes.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UByteReader.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"

namespace vellomar {

namespace {

constexpr int kTreeAndRootFiles = 0;
constexpr size_t kCopyPieceSize = 8192;
constexpr int32_t kFileProgressStep = 1000;
constexpr int32_t kCopyPhase = 1;

// Cancel reaches a copy through either callback.
void pollAbort(TDBase& source) {
  source.Search.Progress(source.Abort);
  if (CallbackAbort()) source.Abort = true;
}

// Same device and inode: copying into the source would empty it first.
bool sameFile(const TDBase& source, const TDBase& target) {
  std::error_code error;
  return std::filesystem::equivalent(source.FileName, target.FileName, error) && !error;
}

void copyBytes(TKFileStream& from, TKFileStream& to, uint64_t n) {
  std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(n, kCopyPieceSize)));
  while (n > 0) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(n, piece.size()));
    from.ReadExact(piece.data(), length);
    to.Write(piece.data(), length);
    n -= length;
  }
}

// The file count and total size a folder's copy stores. An archive shown as a folder stands in
// its parent's list as one file of its size. A size field at its largest value only bounds a
// file's size from below: the folder's stored total then keeps the exact sum, unless it falls
// short of the list.
class FolderFigures {
 public:
  void add(int32_t storedSize) {
    ++count_;
    saturated_ = saturated_ || static_cast<uint32_t>(storedSize) == UINT32_MAX;
    size_ += fileSizeOf(storedSize);
  }

  void storeIn(TDirCollection& node) {
    for (const TDirCollection* sub : node.Items()) {
      if (sub->Dir.Data.Attr & kAttrArchiveFolder) add(sub->Dir.Data.Size);
    }
    TDirData& data = node.Dir.Data;
    data.FileCount = count_;
    if (!saturated_ || data.FilesSize < size_) data.FilesSize = size_;
  }

 private:
  int32_t count_ = 0;
  int64_t size_ = 0;
  bool saturated_ = false;
};

// A copy's state from folder to folder.
struct TreeCopy {
  TDBase& Source;
  TDBase& Target;
  TCopyCounts& Counts;
  // The file list under copy, whose description offsets are rewritten in place.
  std::vector<uint8_t> List;
};

int32_t copyDescription(TreeCopy& copy, int32_t offset) {
  if (offset == 0) return 0;
  const int32_t copied = CopyDescription(copy.Source, copy.Target, offset);
  ++(copied != 0 ? copy.Counts.Descriptions : copy.Counts.DescriptionsLeftOut);
  return copied;
}

// The files of a list that damage kept from the copy: those behind the damage, or, when the
// head cannot be read, those the folder says it holds beside its archive subfolders.
int64_t filesLeftOut(const FileListReader& files, bool headRead, const TDirCollection& node) {
  if (headRead) return files.count() - files.held();
  int32_t archives = 0;
  for (const TDirCollection* sub : node.Items()) {
    if (sub->Dir.Data.Attr & kAttrArchiveFolder) ++archives;
  }
  return std::max<int64_t>(int64_t{node.Dir.Data.FileCount} - archives, 0);
}

void setInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

// Appends the folder's file list to the target as the bytes it is, but for the description
// offsets, each description copied first; points the folder at the copy and recounts it. A
// damaged list gives the entries before the damage, a damaged head none. False when aborted.
bool copyFileList(TreeCopy& copy, TDirCollection& node) {
  TDBase& source = copy.Source;
  const int32_t damageBefore = source.DamageCounter;
  FileListReader files(source.Stream, source.DamageCounter, node.Dir.Data.FileListOffset,
                       copy.List);
  const bool headRead = source.DamageCounter == damageBefore;
  VisitCounters& counters = source.Search.Counters;
  FolderFigures figures;
  FileEntryView entry;
  int32_t entryOffset = 0;
  size_t end = 0;
  while (files.next(entry, entryOffset)) {
    if (++counters.Files % kFileProgressStep == 0) pollAbort(source);
    // The record's first field is its description offset, its third its size.
    ByteReader r(entry.Record);
    const int32_t descOffset = r.i32();
    r.skip(4);
    figures.add(r.i32());
    const auto at = static_cast<size_t>(entry.Record.data() - copy.List.data());
    if (descOffset != 0) setInt32(copy.List, at, copyDescription(copy, descOffset));
    if (source.Abort) return false;
    end = at + kFileEntryFixedSize + entry.Name.size();
  }
  // Before the recount, which replaces the count the folder gave.
  copy.Counts.FilesLeftOut += filesLeftOut(files, headRead, node);
  figures.storeIn(node);
  const uint32_t held = files.held();
  copy.Counts.Files += held;
  const uint64_t length = kFileListFixedSize + end;
  TKFileStream& target = copy.Target.Stream;
  target.SeekToEnd();
  ensureAppendFits(target.GetPosition(), length);
  node.Dir.Data.FileListOffset = static_cast<int32_t>(target.GetPosition());
  ByteWriter head;
  writeFileListHead(head, static_cast<int32_t>(length), static_cast<int32_t>(held));
  writeStreamBytes(target, head.bytes());
  if (end > 0) target.Write(copy.List.data(), end);
  return true;
}

bool copyFolder(TreeCopy& copy, TDirCollection& node) {
  TDBase& source = copy.Source;
  if (source.Abort) return false;
  ++source.Search.Counters.Folders;
  // As a disk's details count its folders: the root is not one of them.
  if (node.Parent != nullptr) ++copy.Counts.Folders;
  if (!copyFileList(copy, node)) return false;
  for (TDirCollection* sub : node.Items()) {
    sub->Dir.Data.DescOffset = copyDescription(copy, sub->Dir.Data.DescOffset);
    if (source.Abort) return false;
  }
  return true;
}

bool copyTree(TreeCopy& copy, TDirCollection* root) {
  if (root == nullptr) return !copy.Source.Abort;
  return ForEachFolder(*root, [&copy](TDirCollection& node) { return copyFolder(copy, node); });
}

// The name field of the disk block at offset as far as the file holds it, whatever its head;
// "???" when none of it is there.
ShortString readableDiskName(TKFileStream& stream, int32_t offset) {
  const uint64_t at = static_cast<uint64_t>(offset) + kDiskNameBlockOffset;
  const uint64_t left = bytesLeftAt(stream, at);
  if (left == 0) return ShortString(kUnreadableDiskName);
  stream.Seek(static_cast<uint32_t>(at));
  const std::vector<uint8_t> field = readStreamBytes(
      stream, static_cast<size_t>(std::min<uint64_t>(left, 1 + ShortString::kMaxLength)));
  const size_t length = std::min<size_t>(field[0], field.size() - 1);
  return ShortString(std::string_view(reinterpret_cast<const char*>(field.data()) + 1, length));
}

// How much of a disk block a copy could read.
enum class DiskRead { kWhole, kDamaged, kNameOnly };

// The disk block at offset with its folders into the source's current tree. Damaged folder
// records leave the folders read before them, an empty root when it was the root's; a block
// that runs past the end of the file gives what lies inside it. Where not even its details
// read, the disk is the empty tree a damaged block loads as, under the name its block still
// holds. Damage is counted.
DiskRead loadSourceDisk(TDBase& source, TTreeSlots& sourceTrees, int32_t offset) {
  sourceTrees.Current.reset();
  const int32_t damageBefore = source.DamageCounter;
  try {
    source.Stream.Seek(static_cast<uint32_t>(offset));
    sourceTrees.Current = ReadDiskBlock(source, kTreeAndRootFiles);
    return source.DamageCounter == damageBefore ? DiskRead::kWhole : DiskRead::kDamaged;
  } catch (const EKstvDBaseStructException&) {
    ++source.DamageCounter;
  }
  try {
    sourceTrees.Current = ReadDiskBlockAsHeld(source, offset);
    return DiskRead::kDamaged;
  } catch (const EKstvDBaseStructException&) {
    sourceTrees.Current = TreeStructInit(source, true);
    sourceTrees.Current->DiskInfo.DiskName = readableDiskName(source.Stream, offset);
    return DiskRead::kNameOnly;
  }
}

// The live disks of the key table as the file stores it whose blocks the rebuilt table did not
// find: their heads are gone. A stored table whose head is not sound is not taken for one.
std::vector<int32_t> storedKeysNotFound(TDBase& source) {
  TKFileStream& stream = source.Stream;
  const uint64_t left = bytesLeftAt(stream, kKeyFieldOffset);
  stream.Seek(static_cast<uint32_t>(kKeyFieldOffset));
  const std::vector<uint8_t> table =
      readStreamBytes(stream, static_cast<size_t>(std::min<uint64_t>(left, kKeyFieldSize)));
  ByteReader head(table);
  const int32_t capacity = head.i32();
  head.skip(4);
  const int32_t count = head.i32();
  const int32_t live = head.i32();
  if (!head.ok() || capacity != kKeyCapacity || count < 0 || count > kKeyCapacity || live < 0 ||
      live > count) {
    return {};
  }
  ByteReader r(table);
  TKeyField stored = readKeyFieldHead(r);
  readKeyEntries(r, stored);
  if (!r.ok()) return {};
  std::unordered_set<int32_t> found;
  for (const TKeyEntry& key : source.keyTable().keys().Keys) found.insert(key.Offset);
  for (const int32_t offset : source.keyTable().liveBlocksNotKept()) found.insert(offset);
  std::vector<int32_t> lost;
  for (int32_t i = 0; i < stored.LiveCount; ++i) {
    const TKeyEntry& key = stored.Keys[static_cast<size_t>(i)];
    if ((key.Flags & kKeyDeleted) == 0 && key.Offset >= static_cast<int32_t>(kDataAreaOffset) &&
        !found.contains(key.Offset)) {
      lost.push_back(key.Offset);
    }
  }
  return lost;
}

void leaveOut(TCopyCounts& counts, const ShortString& diskName) {
  ++counts.DisksLeftOut;
  counts.DamagedDisks.push_back(diskName);
}

void addCounts(TCopyCounts& total, const TCopyCounts& disk) {
  total.Disks += disk.Disks;
  total.Folders += disk.Folders;
  total.Files += disk.Files;
  total.Descriptions += disk.Descriptions;
  total.DisksLeftOut += disk.DisksLeftOut;
  total.FoldersLeftOut += disk.FoldersLeftOut;
  total.FilesLeftOut += disk.FilesLeftOut;
  total.DescriptionsLeftOut += disk.DescriptionsLeftOut;
  total.EmptiedDisks += disk.EmptiedDisks;
}

// The folders and files a disk's details say it holds beside the archives, as a list and its
// folder records count them: an archive stands as a folder, not as a line of its parent's list.
int64_t storedFolders(const TDiskInfo& info) {
  return std::max<int64_t>(int64_t{info.Folders} + info.ArchiveFolders + info.Archives, 0);
}
int64_t storedFiles(const TDiskInfo& info) {
  return std::max<int64_t>(int64_t{info.Files} + info.ArchiveFiles - info.Archives, 0);
}

// What a disk lost beside the damaged lists and descriptions its copy counted: the folders
// that could not be read and what lay in them. Below an unread folder nothing is known but the
// totals the disk's details give, which bound the loss from below when they say more.
void countUnreadFolders(const TTreeStruct& tree, DiskRead read, TCopyCounts& disk) {
  if (read == DiskRead::kNameOnly) {
    ++disk.EmptiedDisks;
    return;
  }
  disk.FoldersLeftOut += tree.UnreadFolders;
  // A root made in place of a record that could not be read has no entry offset.
  if (tree.Root->Dir.EntryOffset == 0) disk.FoldersLeftOut = storedFolders(tree.DiskInfo);
  if (disk.FoldersLeftOut == 0) return;
  disk.FoldersLeftOut = std::max(disk.FoldersLeftOut, storedFolders(tree.DiskInfo) - disk.Folders);
  disk.FilesLeftOut = std::max(disk.FilesLeftOut, storedFiles(tree.DiskInfo) - disk.Files);
}

// False when the target refused the disk. Fills counts only for a disk saved.
bool copyDisk(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
              int32_t offset, bool uniqueNames, TCopyCounts& counts) {
  const int32_t damageBefore = source.DamageCounter;
  const DiskRead read = loadSourceDisk(source, sourceTrees, offset);
  TTreeStruct* const tree = sourceTrees.Current.get();
  const ShortString diskName = tree->DiskInfo.DiskName;
  CallbackMessage(diskName);
  TCopyCounts disk;
  TDirCollection* root = tree->Root.get();
  TreeCopy rootCopy{source, target, disk, {}};
  // The root has no parent whose pass would copy its description.
  root->Dir.Data.DescOffset = copyDescription(rootCopy, root->Dir.Data.DescOffset);
  // A half-copied tree still points at source offsets: it is never saved.
  if (!CopyTree(source, target, root, disk) || source.Abort) return true;
  countUnreadFolders(*tree, read, disk);
  tree->FileCol.reset();
  tree->CurDir = root;
  targetTrees.Current = std::move(sourceTrees.Current);
  targetTrees.Current->Owner = &target;
  const bool saved = SaveTreeStruct(target, targetTrees, uniqueNames);
  // The saved tree's entry offsets are still the source's; the target reloads its disk.
  targetTrees.Current.reset();
  target.TreeChanged = true;
  if (!saved) return false;
  disk.Disks = 1;
  addCounts(counts, disk);
  if (source.DamageCounter != damageBefore) counts.DamagedDisks.push_back(diskName);
  return true;
}

}  // namespace

int32_t CopyDescription(TDBase& source, TDBase& target, int32_t offset) {
  if (offset == 0) return 0;
  try {
    uint64_t left = 0;
    const std::vector<uint8_t> head =
        readBlockStart(source.Stream, static_cast<uint32_t>(offset), kDescBlockFixedSize, left);
    ByteReader r(head);
    const uint32_t textLength = readDescBlockHead(r, left, kDamageDescCopy);
    ensureAppendFits(target.Stream.GetSize(), descBlockLength(textLength));
    target.Stream.SeekToEnd();
    const auto newOffset = static_cast<int32_t>(target.Stream.GetPosition());
    ByteWriter w;
    writeDescBlockHead(w, textLength);
    writeStreamBytes(target.Stream, w.bytes());
    copyBytes(source.Stream, target.Stream, textLength);
    return newOffset;
  } catch (const EKstvDBaseStructException&) {
    ++source.DamageCounter;
    return 0;
  }
}

bool CopyTree(TDBase& source, TDBase& target, TDirCollection* node, TCopyCounts& counts) {
  TreeCopy copy{source, target, counts, {}};
  return copyTree(copy, node);
}

bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions) {
  TCopyCounts counts;
  return CompressDBase(source, sourceTrees, target, targetTrees, allDisks, uniqueNames, copyOptions,
                       counts);
}

bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions, TCopyCounts& counts) {
  counts = TCopyCounts{};
  if (sameFile(source, target)) {
    throw EKstvNormalException("A database cannot be copied into itself.");
  }
  ResetVisit(source, source.Search.Counters, source.Abort);
  // A source opened for repair is damaged: it is only read, and its close writes nothing.
  if (source.RebuildKeys) source.ReadOnly = true;
  CallbackPercent(kCopyPhase, 0);
  if (copyOptions) target.LocalOptions = source.LocalOptions;
  KeyTable& keys = source.keyTable();
  keys.setKeysModified(true);
  target.keyTable().setKeysModified(true);
  const SearchScope scope = allDisks                       ? SearchScope::kWholeDatabase
                            : keys.CountSelectedKeys() > 0 ? SearchScope::kSelectedDisks
                                                           : SearchScope::kCurrentDisk;
  const int32_t live = keys.keys().LiveCount;
  // A target that held no disk has nothing saved that a crash during the copy could take: it
  // is synced once, when the copy is whole, not at every disk.
  const bool freshTarget = target.keyTable().keys().count() == 0;
  struct SyncDeferral {
    TKFileStream& Stream;
    ~SyncDeferral() { Stream.SetSyncDeferred(false); }
  } deferral{target.Stream};
  target.Stream.SetSyncDeferred(freshTarget);
  const auto copyOne = [&](int32_t offset) {
    bool saved = true;
    try {
      saved = copyDisk(source, sourceTrees, target, targetTrees, offset, uniqueNames, counts);
    } catch (const EKstvDBaseStructException&) {
      ++source.DamageCounter;
      leaveOut(counts, readableDiskName(source.Stream, offset));
    }
    sourceTrees.Current.reset();
    if (!saved) return false;
    ++source.Search.Counters.Disks;
    pollAbort(source);
    return !source.Abort;
  };
  for (int32_t i = 0; i < live; ++i) {
    if (DiskInScope(keys.keys(), i, scope) &&
        !copyOne(keys.keys().Keys[static_cast<size_t>(i)].Offset)) {
      return false;
    }
    CallbackPercent(kCopyPhase, static_cast<int32_t>((int64_t{i} + 1) * 100 / live));
  }
  if (source.RebuildKeys) {
    for (const int32_t offset : keys.liveBlocksNotKept()) {
      leaveOut(counts, readableDiskName(source.Stream, offset));
    }
    // Disks the stored table knows whose blocks no longer read as disk blocks: kept as far as
    // anything of them reads, while the target has room.
    for (const int32_t offset : storedKeysNotFound(source)) {
      if (target.keyTable().keys().count() >= kKeyCapacity) {
        ++source.DamageCounter;
        leaveOut(counts, readableDiskName(source.Stream, offset));
      } else if (!copyOne(offset)) {
        return false;
      }
    }
  }
  target.Stream.SetSyncDeferred(false);
  target.Stream.Flush();
  return true;
}

}  // namespace vellomar
