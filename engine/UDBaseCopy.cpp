#include "engine/UDBaseCopy.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/UCallbacks.h"
#include "engine/UDBase.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDescBlock.h"
#include "engine/UEngineFileFind.h"
#include "engine/UFileListBlock.h"
#include "engine/UStreamBytes.h"
#include "engine/UTreeStruct.h"
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
  CopiedEntries& Entries;
  // The file list under copy, whose description offsets are rewritten in place.
  std::vector<uint8_t> List;
};

void setInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

// Appends the folder's file list to the target as the bytes it is, but for the description
// offsets, each description copied first; points the folder at the copy and recounts it. A
// damaged list gives the entries before the damage, a damaged head none. False when aborted.
bool copyFileList(TreeCopy& copy, TDirCollection& node) {
  TDBase& source = copy.Source;
  FileListReader files(source.Stream, source.DamageCounter, node.Dir.Data.FileListOffset,
                       copy.List);
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
    if (descOffset != 0) setInt32(copy.List, at, CopyDescription(source, copy.Target, descOffset));
    if (source.Abort) return false;
    end = at + kFileEntryFixedSize + entry.Name.size();
  }
  figures.storeIn(node);
  const uint32_t held = files.held();
  const uint64_t length = kFileListFixedSize + end;
  TKFileStream& target = copy.Target.Stream;
  target.SeekToEnd();
  ensureAppendFits(target.GetPosition(), length);
  node.Dir.Data.FileListOffset = static_cast<int32_t>(target.GetPosition());
  ByteWriter head;
  writeFileListHead(head, static_cast<int32_t>(length), static_cast<int32_t>(held));
  writeStreamBytes(target, head.bytes());
  if (end > 0) target.Write(copy.List.data(), end);
  copy.Entries.Read += held;
  copy.Entries.Written += held;
  return true;
}

bool copyTree(TreeCopy& copy, TDirCollection* node) {
  TDBase& source = copy.Source;
  if (source.Abort) return false;
  if (node == nullptr) return true;
  ++source.Search.Counters.Folders;
  if (!copyFileList(copy, *node)) return false;
  for (TDirCollection* sub : node->Items()) {
    sub->Dir.Data.DescOffset = CopyDescription(source, copy.Target, sub->Dir.Data.DescOffset);
    if (source.Abort) return false;
  }
  for (TDirCollection* sub : node->Items()) {
    if (!copyTree(copy, sub)) return false;
  }
  return true;
}

// A disk whose copy lacks entries its source holds is never saved as if it were whole.
void requireAllCopied(const CopiedEntries& entries, const ShortString& diskName) {
  if (entries.Written == entries.Read) return;
  throw EKstvNormalException("The copy of disk " + diskName.str() + " holds " +
                             std::to_string(entries.Written) + " of its " +
                             std::to_string(entries.Read) + " files. The copy was stopped.");
}

bool copyDisk(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
              int32_t offset, bool uniqueNames) {
  LoadTreeStruct(source, sourceTrees, offset, kTreeAndRootFiles);
  if (!sourceTrees.Current) return true;
  const ShortString diskName = source.keyTable().ReadDiskName(offset);
  CallbackMessage(diskName);
  TTreeStruct& tree = *sourceTrees.Current;
  TDirCollection* root = tree.Root.get();
  if (root != nullptr) {
    // The root has no parent whose pass would copy its description.
    root->Dir.Data.DescOffset = CopyDescription(source, target, root->Dir.Data.DescOffset);
  }
  CopiedEntries entries;
  // A half-copied tree still points at source offsets: it is never saved.
  if (!CopyTree(source, target, root, entries) || source.Abort) return true;
  requireAllCopied(entries, diskName);
  tree.FileCol.reset();
  tree.CurDir = root;
  targetTrees.Current = std::move(sourceTrees.Current);
  targetTrees.Current->Owner = &target;
  const bool saved = SaveTreeStruct(target, targetTrees, uniqueNames);
  // The saved tree's entry offsets are still the source's; the target reloads its disk.
  targetTrees.Current.reset();
  target.TreeChanged = true;
  return saved;
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

bool CopyTree(TDBase& source, TDBase& target, TDirCollection* node, CopiedEntries& entries) {
  TreeCopy copy{source, target, entries, {}};
  return copyTree(copy, node);
}

bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions) {
  if (sameFile(source, target)) {
    throw EKstvNormalException("A database cannot be copied into itself.");
  }
  ResetVisit(source);
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
  for (int32_t i = 0; i < live; ++i) {
    if (DiskInScope(keys.keys(), i, scope)) {
      bool saved = true;
      try {
        saved = copyDisk(source, sourceTrees, target, targetTrees,
                         keys.keys().Keys[static_cast<size_t>(i)].Offset, uniqueNames);
      } catch (const EKstvDBaseStructException&) {
        ++source.DamageCounter;
      }
      sourceTrees.Current.reset();
      if (!saved) return false;
      ++source.Search.Counters.Disks;
      pollAbort(source);
      if (source.Abort) return false;
    }
    CallbackPercent(kCopyPhase, static_cast<int32_t>((int64_t{i} + 1) * 100 / live));
  }
  target.Stream.SetSyncDeferred(false);
  target.Stream.Flush();
  return true;
}

}  // namespace vellomar
