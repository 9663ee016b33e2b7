#include "engine/UDiskFolderIndex.h"

#include <algorithm>

#include "engine/UCatalogueFile.h"
#include "engine/UDamageCodes.h"
#include "engine/UDiskBlock.h"
#include "engine/UFileListBlock.h"
#include "engine/UStreamBytes.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"

namespace vellomar {

namespace {

constexpr std::string_view kRootName = "\\";

}  // namespace

TDiskBlockHead ReadDiskBlockHeadAt(TKFileStream& stream, int32_t offset, int code) {
  uint64_t left = 0;
  const std::vector<uint8_t> head =
      readBlockStart(stream, static_cast<uint32_t>(offset), kBlockHeadSize, left);
  ByteReader r(head);
  return readDiskBlockHead(r, left, code);
}

BlockForm ReadDiskBlockBody(TKFileStream& stream, int32_t offset, std::vector<uint8_t>& body) {
  const TDiskBlockHead head = ReadDiskBlockHeadAt(stream, offset, kDamageDiskBlock);
  body.resize(static_cast<size_t>(head.Length) - kBlockHeadSize);
  if (!body.empty()) stream.ReadExact(body.data(), body.size());
  return head.Form;
}

BlockForm DiskFolderIndex::read(TKFileStream& stream, int32_t offset, int32_t& damage,
                                DiskBlockBodyRead readBody) {
  folders_.clear();
  unread_ = 0;
  maxFiles_ = stream.GetSize() / kFileEntryFixedSize;
  const BlockForm form = readBody(stream, offset, block_);
  // Room for as many folders as the block can hold, taken once: growing by doubling would
  // copy the folders and fault in fresh pages at each step. Pages never used cost nothing.
  folders_.reserve(block_.size() / kOldFolderRecordFixedSize + 1);
  ByteReader r(block_.data(), block_.size());
  r.skip(diskInfoSize(form));
  readFolders(r, static_cast<uint32_t>(offset) + static_cast<uint32_t>(kBlockHeadSize), damage);
  return form;
}

void DiskFolderIndex::load(TCatalogueFile& handle, int32_t offset) {
  int32_t damage = 0;
  try {
    // The block alone: the next disk's file lists follow it, and a walk reads those when it
    // gets there, if at all.
    const ExactReads exact(handle.Stream);
    read(handle.Stream, offset, damage);
  } catch (const EKstvDBaseStructException&) {
    folders_.clear();
    ++damage;
  }
  handle.DamageCounter += damage;
  if (folders_.empty()) {
    FolderEntry root;
    root.Name = kRootName;
    root.Data.Attr = kAttrFolder;
    folders_.push_back(root);
  }
}

void DiskFolderIndex::readFolders(ByteReader& r, uint32_t base, int32_t& damage) {
  open_.clear();
  try {
    uint32_t subDirs = 0;
    const int32_t root = readFolder(r, base, -1, subDirs, damage);
    open_.push_back({root, subDirs, -1, true});
    while (!open_.empty()) {
      OpenFolder& folder = open_.back();
      if (folder.Left == 0) {
        closeFolder(folder);
        open_.pop_back();
        continue;
      }
      const int32_t child = readFolder(r, base, folder.Index, subDirs, damage);
      --folder.Left;
      folder.Sorted =
          folder.Sorted && (folder.LastChild < 0 || compare(folder.LastChild, child) < 0);
      addChild(folder.Index, child, folder.LastChild);
      open_.push_back({child, subDirs, -1, true});
    }
    requireFolderRecordsEnd(r);
  } catch (const EKstvDBaseStructException&) {
    ++damage;
    // The folders still open keep the subfolders read, in their order.
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      unread_ += it->Left;
      closeFolder(*it);
    }
    open_.clear();
  }
}

// One record as a subfolder of parent; subDirs gets the number it names.
int32_t DiskFolderIndex::readFolder(ByteReader& r, uint32_t base, int32_t parent, uint32_t& subDirs,
                                    int32_t& damage) {
  const auto entryOffset =
      static_cast<int32_t>(base + static_cast<uint32_t>(r.position()) + kFolderDataRecordOffset);
  const FolderRecordView record = readFolderRecordView(r);
  const auto index = static_cast<int32_t>(folders_.size());
  FolderEntry& entry = folders_.emplace_back();
  entry.EntryOffset = entryOffset;
  entry.Data = record.Data;
  entry.Name = record.Name;
  entry.Parent = parent;
  if (entry.Data.FileCount < 0 || static_cast<uint64_t>(entry.Data.FileCount) > maxFiles_) {
    entry.Data.FileCount = 0;
    ++damage;
  }
  subDirs = record.SubDirCount;
  return index;
}

// Written by this program the subfolders come sorted; a catalogue from elsewhere may not.
void DiskFolderIndex::closeFolder(const OpenFolder& folder) {
  if (!folder.Sorted) sortChildren(folder.Index);
}

void DiskFolderIndex::addChild(int32_t parent, int32_t child, int32_t& lastChild) {
  ++folders_[static_cast<size_t>(parent)].SubFolders;
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
  folders_[static_cast<size_t>(parent)].SubFolders = 0;
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
