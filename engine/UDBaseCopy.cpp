#include "engine/UDBaseCopy.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "engine/UCallbacks.h"
#include "engine/UDBase.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDescBlock.h"
#include "engine/UEngineFileFind.h"
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

// An archive shown as a folder stands in its parent's list as one file of its size. A size
// field at its largest value only bounds a file's size from below: the folder's stored total
// then keeps the exact sum, unless it falls short of the list.
void recountFolder(TDirCollection& node, const TFileCollection& lines) {
  int32_t count = lines.Count();
  int64_t size = 0;
  bool saturated = false;
  const auto add = [&](int32_t stored) {
    saturated = saturated || static_cast<uint32_t>(stored) == UINT32_MAX;
    size += fileSizeOf(stored);
  };
  for (const TOneFile* line : lines.Items()) add(line->Data.Size);
  for (const TDirCollection* sub : node.Items()) {
    if ((sub->Dir.Data.Attr & kAttrArchiveFolder) == 0) continue;
    ++count;
    add(sub->Dir.Data.Size);
  }
  TDirData& data = node.Dir.Data;
  data.FileCount = count;
  if (!saturated || data.FilesSize < size) data.FilesSize = size;
}

std::unique_ptr<TFileCollection> readAllLines(TDBase& source, const TDirCollection& node,
                                              CopiedEntries& entries) {
  const int32_t offset = node.Dir.Data.FileListOffset;
  if (offset == 0) return std::make_unique<TFileCollection>(100, 100);
  uint32_t held = 0;
  auto lines = ReadFileList(source.Stream, source.DamageCounter, true, offset, held);
  entries.Read += held;
  return lines;
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
  if (!CopyTree(source, tree, target, root, entries) || source.Abort) return true;
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

bool CopyTree(TDBase& source, TTreeStruct& tree, TDBase& target, TDirCollection* node,
              CopiedEntries& entries) {
  if (source.Abort) return false;
  if (node == nullptr) return true;
  tree.CurDir = node;
  tree.FileCol = readAllLines(source, *node, entries);
  TFileCollection& lines = *tree.FileCol;
  VisitCounters& counters = source.Search.Counters;
  ++counters.Folders;
  recountFolder(*node, lines);
  for (TOneFile* line : lines.Items()) {
    if (++counters.Files % kFileProgressStep == 0) pollAbort(source);
    line->Data.DescOffset = CopyDescription(source, target, line->Data.DescOffset);
    if (source.Abort) return false;
  }
  target.Stream.SeekToEnd();
  node->Dir.Data.FileListOffset = static_cast<int32_t>(target.Stream.GetPosition());
  int64_t size = 0;
  WriteFileList(lines, target.Stream, size, true);
  entries.Written += lines.Count();
  for (TDirCollection* sub : node->Items()) {
    sub->Dir.Data.DescOffset = CopyDescription(source, target, sub->Dir.Data.DescOffset);
    if (source.Abort) return false;
  }
  for (TDirCollection* sub : node->Items()) {
    if (!CopyTree(source, tree, target, sub, entries)) return false;
  }
  return true;
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
  return true;
}

}  // namespace vellomar
