#include "engine/UDiskFolderIndex.h"

#include <algorithm>

#include "engine/UDBase.h"
#include "engine/UDamageCodes.h"
#include "engine/UDiskBlock.h"
#include "engine/UTreeStruct.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"

namespace vellomar {

namespace {

constexpr std::string_view kRootName = "\\";

}  // namespace

void DiskFolderIndex::load(TDBase& handle, int32_t offset) {
  folders_.clear();
  int32_t errors = 0;
  try {
    // The block alone: the next disk's file lists follow it, and a walk reads those when it
    // gets there, if at all.
    const ExactReads exact(handle.Stream);
    const BlockForm form = ReadDiskBlockBody(handle.Stream, offset, block_);
    // Room for as many folders as the block can hold, taken once: growing by doubling would
    // copy the folders and fault in fresh pages at each step. Pages never used cost nothing.
    folders_.reserve(block_.size() / kOldFolderRecordFixedSize + 1);
    ByteReader r(block_.data(), block_.size());
    r.skip(diskInfoSize(form));
    const auto base = static_cast<uint32_t>(offset) + static_cast<uint32_t>(kBlockHeadSize);
    try {
      readFolder(r, base, -1, 0, errors);
      if (errors == 0) requireFolderRecordsEnd(r);
    } catch (const EKstvDBaseStructException&) {
      ++errors;
    }
  } catch (const EKstvDBaseStructException&) {
    ++errors;
  }
  handle.DamageCounter += errors;
  if (folders_.empty()) {
    FolderEntry root;
    root.Name = kRootName;
    root.Data.Attr = kAttrFolder;
    folders_.push_back(root);
  }
}

// One record and its subtree in pre-order, as the tree reader takes them: damage below this
// record is counted in errors and ends the reading of the whole tree.
int32_t DiskFolderIndex::readFolder(ByteReader& r, uint32_t base, int32_t parent, int depth,
                                    int32_t& errors) {
  if (depth > kMaxFolderDepth) throw EKstvDBaseStructException(kDamageFolderRecord);
  const auto entryOffset =
      static_cast<int32_t>(base + static_cast<uint32_t>(r.position()) + kFolderDataRecordOffset);
  const FolderRecordView record = readFolderRecordView(r);
  const auto index = static_cast<int32_t>(folders_.size());
  FolderEntry& entry = folders_.emplace_back();
  entry.EntryOffset = entryOffset;
  entry.Data = record.Data;
  entry.Name = record.Name;
  entry.Parent = parent;
  int32_t lastChild = -1;
  bool sorted = true;
  for (uint32_t i = 0; i < record.SubDirCount && errors == 0; ++i) {
    int32_t child = -1;
    try {
      child = readFolder(r, base, index, depth + 1, errors);
    } catch (const EKstvDBaseStructException&) {
      ++errors;
      break;
    }
    sorted = sorted && (lastChild < 0 || compare(lastChild, child) < 0);
    addChild(index, child, lastChild);
  }
  // Written by this program the subfolders come sorted; a catalogue from elsewhere may not.
  if (!sorted) sortChildren(index);
  return index;
}

void DiskFolderIndex::addChild(int32_t parent, int32_t child, int32_t& lastChild) {
  if (lastChild < 0) {
    folders_[static_cast<size_t>(parent)].FirstChild = child;
  } else {
    folders_[static_cast<size_t>(lastChild)].NextSibling = child;
  }
  lastChild = child;
}

// The order and the refusal of exact duplicates that inserting them one by one into the sorted
// node gives: the first of equal folders stays.
void DiskFolderIndex::sortChildren(int32_t parent) {
  siblings_.clear();
  for (int32_t c = at(parent).FirstChild; c >= 0; c = at(c).NextSibling) siblings_.push_back(c);
  std::stable_sort(siblings_.begin(), siblings_.end(),
                   [this](int32_t a, int32_t b) { return compare(a, b) < 0; });
  siblings_.erase(std::unique(siblings_.begin(), siblings_.end(),
                              [this](int32_t a, int32_t b) { return compare(a, b) == 0; }),
                  siblings_.end());
  folders_[static_cast<size_t>(parent)].FirstChild = -1;
  int32_t lastChild = -1;
  for (const int32_t c : siblings_) {
    folders_[static_cast<size_t>(c)].NextSibling = -1;
    addChild(parent, c, lastChild);
  }
}

int DiskFolderIndex::compare(int32_t a, int32_t b) const {
  return CompareFolderNames(at(a).Name, at(a).Data.Ext, at(b).Name, at(b).Data.Ext);
}

}  // namespace vellomar
