#include "engine/UTreeStruct.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDiskFolderIndex.h"
#include "engine/UFileListBlock.h"
#include "engine/UKeyField.h"
#include "engine/UStreamBytes.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "platform/PAsciiText.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr int kMaxUniqueSuffix = 999;
constexpr uint32_t kMaxSubDirs = UINT16_MAX;
constexpr int kWholeBlock = 0;
constexpr int kDetailsOnly = 1;
constexpr int kFilesOnly = 2;
constexpr int kWithParentLine = 0;
constexpr uint16_t kLiveKey = 0;

ShortString cutTo(std::string_view text, int maximum) {
  return ShortString(utf8Prefix(text, static_cast<size_t>(maximum)));
}

std::unique_ptr<TDirCollection> newRootNode() {
  auto root = std::make_unique<TDirCollection>(nullptr, 100, false);
  root->Dir.Name = "\\";
  root->Dir.Data.Attr = kAttrFolder;
  return root;
}

// The details of the disk block at offset; a place that holds none raises damage `code`.
TDiskInfo readDiskInfoAt(TKFileStream& stream, int32_t offset, int code) {
  const TDiskBlockHead head = ReadDiskBlockHeadAt(stream, offset, code);
  const std::vector<uint8_t> body = readStreamBytes(stream, diskInfoSize(head.Form));
  ByteReader r(body);
  return readDiskInfo(r, head.Form);
}

// Writes, at the stream position in a disk block, the details up to the disk name.
void writeDetailsHere(TKFileStream& stream, const TDiskInfo& info) {
  stream.Seek(stream.GetPosition() + static_cast<uint32_t>(kBlockHeadSize));
  ByteWriter w;
  writeDiskInfo(w, info, BlockForm::kOlder);
  writeStreamBytes(stream, w.bytes());
  stream.Flush();
}

// Counts and sizes come from the file: their sums saturate instead of overflowing.
template <class T>
void addTo(T& total, T value) {
  if (__builtin_add_overflow(total, value, &total)) {
    total = value < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
  }
}

void addOwnFiles(TDirCollection& node) {
  TDirTotals& t = node.Totals;
  addTo(t.Files, node.Dir.Data.FileCount);
  addTo(t.Size, node.Dir.Data.FilesSize);
  if (node.InsideArchive) return;
  addTo(t.PhysFiles, node.Dir.Data.FileCount);
  addTo(t.PhysSize, node.Dir.Data.FilesSize);
}

// An archive shown as a folder stands in the parent's file count as a file; the totals count
// its contents instead. Physical figures keep it as the file it is.
void addSubDirTotals(const TDirCollection& sub) {
  TDirTotals& t = sub.Parent->Totals;
  const TDirTotals& s = sub.Totals;
  if (sub.Dir.Data.Attr & kAttrArchiveFolder) {
    addTo(t.Files, -1);
    addTo(t.Size, -fileSizeOf(sub.Dir.Data.Size));
  }
  addTo(t.Folders, 1);
  addTo(t.Folders, s.Folders);
  addTo(t.Files, s.Files);
  addTo(t.Size, s.Size);
  if (sub.InsideArchive) return;
  addTo(t.PhysFolders, 1);
  addTo(t.PhysFolders, s.PhysFolders);
  addTo(t.PhysFiles, s.PhysFiles);
  addTo(t.PhysSize, s.PhysSize);
}

std::unique_ptr<TDirCollection> newNode(const FolderEntry& entry, TDirCollection* parent) {
  const bool inside = (parent && parent->InsideArchive) || (entry.Data.Attr & kAttrArchiveFolder);
  auto node = std::make_unique<TDirCollection>(parent, entry.SubFolders, inside);
  node->Dir = {entry.EntryOffset, entry.Data, ShortString(entry.Name)};
  addOwnFiles(*node);
  return node;
}

// The index's folders as nodes, made in pre-order as the block holds them (so a walk over the
// tree runs through memory in the order it was taken), each node's subfolders in the index's
// order; then the totals from the last node back, so that a node's totals are whole when they
// are added to its parent's.
std::unique_ptr<TDirCollection> buildNodes(const DiskFolderIndex& index) {
  if (index.count() == 0) return newRootNode();
  std::unique_ptr<TDirCollection> root = newNode(index.at(0), nullptr);
  std::vector<TDirCollection*> made;
  made.reserve(static_cast<size_t>(index.count()));
  made.push_back(root.get());
  // The next folder of the index to make and the node it goes into: after a folder its first
  // subfolder, then its next sibling.
  std::vector<std::pair<int32_t, TDirCollection*>> pending;
  if (index.at(0).FirstChild >= 0) pending.emplace_back(index.at(0).FirstChild, root.get());
  while (!pending.empty()) {
    const auto [folder, parent] = pending.back();
    pending.pop_back();
    std::unique_ptr<TDirCollection> child = newNode(index.at(folder), parent);
    // In the index's order, which is the node's: no search for the place.
    parent->InsertAt(parent->Count(), child.get());
    TDirCollection* node = child.release();
    made.push_back(node);
    const FolderEntry& entry = index.at(folder);
    if (entry.NextSibling >= 0) pending.emplace_back(entry.NextSibling, parent);
    if (entry.FirstChild >= 0) pending.emplace_back(entry.FirstChild, node);
  }
  for (size_t k = made.size() - 1; k > 0; --k) addSubDirTotals(*made[k]);
  return root;
}

// What the file holds of a disk block that may run past its end.
BlockForm readHeldDiskBlockBody(TKFileStream& stream, int32_t offset, std::vector<uint8_t>& body) {
  const auto start = static_cast<uint32_t>(offset);
  uint64_t left = 0;
  const std::vector<uint8_t> headBytes = readBlockStart(stream, start, kBlockHeadSize, left);
  ByteReader headReader(headBytes);
  const TBlockHead head = readBlockHead(headReader);
  BlockForm form = BlockForm::kCurrent;
  if (!headReader.ok() || !isDiskBlockHead(head, left, form)) {
    throw EKstvDBaseStructException(kDamageDiskBlock);
  }
  const uint64_t held = std::min<uint64_t>(static_cast<uint32_t>(head.Length), left);
  body.resize(static_cast<size_t>(held - kBlockHeadSize));
  if (!body.empty()) stream.ReadExact(body.data(), body.size());
  return form;
}

void readTree(TTreeStruct& tree, int32_t offset, bool withFiles,
              DiskBlockBodyRead readBody = ReadDiskBlockBody) {
  TCatalogueFile& owner = *tree.Owner;
  DiskFolderIndex index;
  int32_t damage = 0;
  const BlockForm form = index.read(owner.Stream, offset, damage, readBody);
  owner.TreeChanged = true;
  ByteReader r(index.block());
  tree.DiskInfo = readDiskInfo(r, form);
  owner.DamageCounter += damage;
  tree.UnreadFolders = index.unreadFolders();
  tree.Root = buildNodes(index);
  tree.CurDir = tree.Root.get();
  if (withFiles) LoadFileCol(tree, kWithParentLine);
}

// The bytes of the folder records of the tree; refuses what the block cannot hold.
uint64_t folderRecordsSize(const TDirCollection& root) {
  uint64_t size = 0;
  ForEachFolder(root, [&size](const TDirCollection& node) {
    if (static_cast<uint32_t>(node.Count()) > kMaxSubDirs) {
      throw EKstvNormalException("A folder holds more than 65535 subfolders and cannot be saved.");
    }
    size += folderRecordSize(static_cast<size_t>(node.Dir.Name.length()));
    return true;
  });
  return size;
}

void writeDirNodes(ByteWriter& w, const TDirCollection& root) {
  ForEachFolder(root, [&w](const TDirCollection& node) {
    writeFolderRecord(w, static_cast<uint16_t>(node.Count()), node.Dir.Data, node.Dir.Name);
    return true;
  });
}

TOneFile subDirLine(TDirCollection& sub) {
  return TOneFile{&sub, sub.Dir.EntryOffset, fileRecordOf(sub.Dir.Data), sub.Dir.Name};
}

TOneFile parentLine(TDirCollection& parent) {
  TOneFile line{&parent, 0, {}, ".."};
  line.Data.Attr = kAttrFolder;
  return line;
}

TOneFile* newSubDirLine(TDirCollection& sub) {
  return new TOneFile(subDirLine(sub));
}

TOneFile* newParentLine(TDirCollection& parent) {
  return new TOneFile(parentLine(parent));
}

// Takes the line; frees it when the collection raises.
void addLine(TFileCollection& lines, TOneFile* line) {
  std::unique_ptr<TOneFile> owned(line);
  lines.Add(owned.get());
  owned.release();
}

// Appends the file list's lines to into; the entries the block holds up to any damage.
uint32_t readFileListInto(TKFileStream& stream, int32_t& damageCounter, bool keepAll,
                          int32_t offset, TFileCollection& into) {
  FileListReader reader(stream, damageCounter, offset);
  into.SetCapacity(static_cast<int32_t>(
      std::min<int64_t>(int64_t{into.Count()} + reader.count(), TFileCollection::kMaxLines)));
  TOneFile line;
  while (reader.next(line)) {
    if (keepAll || HasDescription(line.Data)) addLine(into, new TOneFile(line));
  }
  return reader.held();
}

ShortString withSuffix(const ShortString& name, int number) {
  const std::string suffix = " ~" + std::to_string(number);
  const size_t keep = utf8CutLength(name.view(), ShortString::kMaxLength - suffix.size());
  return ShortString(std::string(name.view().substr(0, keep)) + suffix);
}

ShortString uniqueDiskName(KeyTable& keys, const ShortString& name) {
  ShortString candidate = name;
  for (int n = 1; n <= kMaxUniqueSuffix && keys.FindKey(candidate, kLiveKey).Found; ++n) {
    candidate = withSuffix(name, n);
  }
  return candidate;
}

bool countsInPath(const TDirCollection& node, bool includeAll) {
  return includeAll || !node.InsideArchive || (node.Parent && !node.Parent->InsideArchive);
}

// withFiles loads the root's file list when the tree is read.
std::unique_ptr<TTreeStruct> readDiskBlock(TCatalogueFile& owner, int mode, bool withFiles) {
  TKFileStream& stream = owner.Stream;
  const uint32_t start = stream.GetPosition();
  auto tree = std::make_unique<TTreeStruct>(owner);
  if (mode == kDetailsOnly) {
    tree->DiskInfo = readDiskInfoAt(stream, static_cast<int32_t>(start), kDamageDiskBlock);
    owner.TreeChanged = true;
    return tree;
  }
  readTree(*tree, static_cast<int32_t>(start), withFiles);
  return tree;
}

}  // namespace

// In pre-order, the order a tree is read in and its nodes are made.
TDirCollection::~TDirCollection() {
  std::vector<TDirCollection*> pending(Items().rbegin(), Items().rend());
  RemoveAll();
  while (!pending.empty()) {
    TDirCollection* node = pending.back();
    pending.pop_back();
    pending.insert(pending.end(), node->Items().rbegin(), node->Items().rend());
    node->RemoveAll();
    delete node;
  }
}

int TDirCollection::Compare(const TDirCollection* a, const TDirCollection* b) const {
  return CompareFolderNames(a->Dir.Name.view(), a->Dir.Data.Ext, b->Dir.Name.view(),
                            b->Dir.Data.Ext);
}

std::unique_ptr<TTreeStruct> TreeStructInit(TCatalogueFile& owner, bool withRoot) {
  auto tree = std::make_unique<TTreeStruct>(owner);
  owner.TreeChanged = true;
  if (withRoot) {
    tree->Root = newRootNode();
    tree->CurDir = tree->Root.get();
    tree->FileCol = std::make_unique<TFileCollection>(10, 10);
    // Its empty list replaces whatever list the window shows.
    owner.FilesChanged = true;
  }
  return tree;
}

std::unique_ptr<TTreeStruct> ReadDiskBlock(TCatalogueFile& owner, int mode) {
  return readDiskBlock(owner, mode, true);
}

std::unique_ptr<TTreeStruct> ReadDiskBlockAsHeld(TCatalogueFile& owner, int32_t offset) {
  auto tree = std::make_unique<TTreeStruct>(owner);
  readTree(*tree, offset, true, readHeldDiskBlockBody);
  return tree;
}

bool WriteDiskBlock(TTreeStruct& tree, int mode) {
  TKFileStream& stream = tree.Owner->Stream;
  if (mode == kDetailsOnly) {
    writeDetailsHere(stream, tree.DiskInfo);
    return true;
  }
  const uint64_t foldersSize = tree.Root ? folderRecordsSize(*tree.Root) : 0;
  ensureAppendFits(stream.GetPosition(), kDiskBlockFixedSize + foldersSize);
  ByteWriter w;
  w.reserve(static_cast<size_t>(kDiskBlockFixedSize + foldersSize));
  writeDiskBlockHead(w, static_cast<uint32_t>(foldersSize));
  writeDiskInfo(w, tree.DiskInfo);
  if (tree.Root) writeDirNodes(w, *tree.Root);
  writeStreamBytes(stream, w.bytes());
  stream.Flush();
  return true;
}

void LoadTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset, int mode) {
  trees.Current.reset();
  try {
    handle.Stream.Seek(static_cast<uint32_t>(offset));
    trees.Current = ReadDiskBlock(handle, mode);
  } catch (const EKstvDBaseStructException&) {
    trees.Current = TreeStructInit(handle, true);
    ++handle.DamageCounter;
  }
}

TTreeStruct* LoadOldTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset) {
  trees.Second.reset();
  handle.Stream.Seek(static_cast<uint32_t>(offset));
  trees.Second = readDiskBlock(handle, kWholeBlock, false);
  return trees.Second.get();
}

bool RewriteDiskInfo(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset) {
  if (handle.ReadOnly || !trees.Current) return false;
  RewriteDiskDetails(handle, offset, trees.Current->DiskInfo);
  return true;
}

void RewriteDiskDetails(TCatalogueFile& handle, int32_t offset, const TDiskInfo& info) {
  ReadDiskBlockHeadAt(handle.Stream, offset, kDamageDiskBlock);
  handle.Stream.Seek(static_cast<uint32_t>(offset));
  writeDetailsHere(handle.Stream, info);
  handle.keyTable().forgetName(offset);
}

void MarkDiskDeleted(TDiskInfo& info, TKeyField& keys) {
  if (info.DiskName.empty() || info.DiskName.view().back() != ']') {
    info.DiskName = DeletedDiskName(info.DiskName, ++keys.DeletionNumber);
  }
  info.Flags |= kDiskDeleted;
}

bool SaveTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, bool uniqueName,
                    int32_t replacedIndex) {
  if (handle.ReadOnly || !trees.Current) return false;
  TTreeStruct& tree = *trees.Current;
  KeyTable& keys = handle.keyTable();
  // The former version is read before anything is written; one whose block cannot be read
  // stays as it is.
  std::optional<TDiskInfo> former;
  int32_t formerOffset = 0;
  if (replacedIndex >= 0 && replacedIndex < keys.keys().count()) {
    formerOffset = keys.keys().Keys[static_cast<size_t>(replacedIndex)].Offset;
    try {
      former = readDiskInfoAt(handle.Stream, formerOffset, kDamageDiskBlock);
    } catch (const EKstvDBaseStructException&) {
      ++handle.DamageCounter;
    }
  }
  if (uniqueName) tree.DiskInfo.DiskName = uniqueDiskName(keys, tree.DiskInfo.DiskName);
  const uint32_t offset = handle.Stream.GetSize();
  handle.Stream.SeekToEnd();
  WriteDiskBlock(tree, 0);
  // A look-up there before the block existed (a key of a file cut short) found no name.
  keys.forgetName(static_cast<int32_t>(offset));
  if (former) {
    MarkDiskDeleted(*former, keys.keys());
    keys.MoveKeyToDeleted(replacedIndex);
  }
  // With a former version moved among the deleted ones the table always has room.
  if (!keys.InsertKey(offset, kLiveKey)) {
    throw EKstvNormalException("Database is full. Make compression.");
  }
  keys.clearSelection();
  // The new disk and the old one's deletion reach the file in this one write; the old block's
  // name and flag follow, so a break between them leaves one live copy and a spent number.
  WriteKeyTable(handle);
  if (former) RewriteDiskDetails(handle, formerOffset, *former);
  return true;
}

FileListReader::FileListReader(TKFileStream& stream, int32_t& damageCounter, int32_t offset)
    : damageCounter_(damageCounter), body_(ownBody_) {
  read(stream, offset);
}

FileListReader::FileListReader(TKFileStream& stream, int32_t& damageCounter, int32_t offset,
                               std::vector<uint8_t>& buffer)
    : damageCounter_(damageCounter), body_(buffer) {
  read(stream, offset);
}

FileListReader::FileListReader(FileWindow& window, TKFileStream& stream, int32_t& damageCounter,
                               int32_t offset)
    : damageCounter_(damageCounter), body_(ownBody_), start_(static_cast<uint32_t>(offset)) {
  if (offset == 0) return;
  try {
    // The head cut where the file ends, as readBlockStart reads it.
    const uint64_t left = blockBytesLeftAt(stream, start_);
    uint32_t bodyLength = 0;
    const uint32_t count =
        readHead(window.at(start_, std::min<uint64_t>(kFileListFixedSize, left)), left, bodyLength);
    const std::span<const uint8_t> block = window.at(start_, kFileListFixedSize + bodyLength);
    if (block.size() != kFileListFixedSize + bodyLength) {
      throw EKstvDBaseStructException(kDamageFileList);
    }
    reader_ = ByteReader(block.subspan(kFileListFixedSize));
    count_ = count;
    held_ = count;
  } catch (const EKstvDBaseStructException&) {
    ++damageCounter_;
  }
}

uint32_t FileListReader::readHead(std::span<const uint8_t> head, uint64_t left,
                                  uint32_t& bodyLength) const {
  ByteReader headReader(head);
  const uint32_t count = readFileListHead(headReader, left);
  ByteReader lengthReader(head);
  bodyLength = lengthReader.u32() - kFileListFixedSize;
  return count;
}

void FileListReader::read(TKFileStream& stream, int32_t offset) {
  start_ = static_cast<uint32_t>(offset);
  body_.clear();
  if (offset != 0) {
    try {
      uint64_t left = 0;
      const std::vector<uint8_t> head = readBlockStart(stream, start_, kFileListFixedSize, left);
      uint32_t bodyLength = 0;
      const uint32_t count = readHead(head, left, bodyLength);
      body_.resize(bodyLength);
      if (!body_.empty()) stream.ReadExact(body_.data(), body_.size());
      count_ = count;
      held_ = count;
    } catch (const EKstvDBaseStructException&) {
      ++damageCounter_;
    }
  }
  reader_ = ByteReader(body_.data(), body_.size());
}

bool FileListReader::next(FileEntryView& entry, int32_t& entryOffset) {
  if (index_ >= count_) return false;
  const uint32_t at = start_ + kFileListFixedSize + static_cast<uint32_t>(reader_.position());
  try {
    entry = readListEntryView(reader_, count_ - index_ - 1);
  } catch (const EKstvDBaseStructException&) {
    ++damageCounter_;
    held_ = index_;
    index_ = count_;
    return false;
  }
  entryOffset = static_cast<int32_t>(at);
  ++index_;
  if (index_ == count_ && !reader_.atEnd()) ++damageCounter_;
  return true;
}

bool FileListReader::next(TOneFile& line) {
  FileEntryView entry;
  int32_t entryOffset = 0;
  if (!next(entry, entryOffset)) return false;
  ByteReader record(entry.Record);
  line.EntryOffset = entryOffset;
  line.Data = readFileRecord(record);
  line.Name = entry.Name;
  return true;
}

void FileListReader::skipRest() {
  FileEntryView entry;
  int32_t entryOffset = 0;
  while (next(entry, entryOffset)) {
  }
}

bool HasDescription(const TFileRecord& record) {
  return record.DescOffset != 0 || (record.Attr & kAttrUserDesc) != 0;
}

void LoadFileCol(TTreeStruct& tree, int mode) {
  TCatalogueFile& owner = *tree.Owner;
  tree.FileCol.reset();
  owner.FilesChanged = true;
  TDirCollection* dir = tree.CurDir;
  auto lines = std::make_unique<TFileCollection>(100, 100);
  if (dir && mode != kFilesOnly) {
    if (mode == kWithParentLine && dir->Parent) addLine(*lines, newParentLine(*dir->Parent));
    lines->SetCapacity(lines->Count() + dir->Count());
    for (TDirCollection* sub : dir->Items()) addLine(*lines, newSubDirLine(*sub));
  }
  if (dir && dir->Dir.Data.FileListOffset != 0) {
    readFileListInto(owner.Stream, owner.DamageCounter, mode != 1, dir->Dir.Data.FileListOffset,
                     *lines);
  }
  tree.FileCol = std::move(lines);
}

void AppendDirPathText(const TDirCollection& node, std::string& text) {
  AppendDirPathText(node.Dir.Name.view(), node.Dir.Data.Ext, text);
}

void AppendDirPathText(std::string_view name, const ExtensionString& ext, std::string& text) {
  if (name != "\\") {
    text += name;
    text += ext.view();
  }
  text += '\\';
}

namespace {

// The path text of node: each node from the root that counts, each ending in "\".
std::string dirPathText(const TDirCollection& node, bool includeAll) {
  std::vector<const TDirCollection*> chain;
  for (const TDirCollection* n = &node; n; n = n->Parent) {
    if (countsInPath(*n, includeAll)) chain.push_back(n);
  }
  std::string text;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) AppendDirPathText(**it, text);
  return text;
}

std::string_view withoutFinalBackslash(std::string_view text) {
  if (text.size() > 1 && text.back() == '\\') text.remove_suffix(1);
  return text;
}

}  // namespace

void BuildDirPath(const TDirCollection& node, ShortString& path, int maximum, bool includeAll) {
  path = CutPathToTail(dirPathText(node, includeAll), std::min(maximum, kMaxPathLength));
}

ShortString DirPathFromText(std::string_view text) {
  return CutPathToTail(withoutFinalBackslash(text), kMaxPathLength);
}

std::string FullDirPath(const TDirCollection& node) {
  return std::string(withoutFinalBackslash(dirPathText(node, true)));
}

ShortString GetDirPath(const TDirCollection& node) {
  return DirPathFromText(dirPathText(node, true));
}

void GetArchiveDirPath(const TDirCollection& node, ShortString& path) {
  if (node.InsideArchive) BuildDirPath(node, path, kMaxPathLength, false);
}

void SplitName(ShortString& name, ExtensionString& extension) {
  const size_t start = ExtensionStart(name.view());
  extension = ExtensionString(name.view().substr(start));
  name.setLength(static_cast<int>(start));
}

size_t ExtensionStart(std::string_view name) {
  const size_t dot = name.rfind('.');
  const size_t lastFour =
      name.size() > ExtensionString::kCapacity ? name.size() - ExtensionString::kCapacity : 0;
  return dot == std::string_view::npos || dot < lastFour ? name.size() : dot;
}

std::unique_ptr<TFileCollection> ReadFileList(TKFileStream& stream, int32_t& damageCounter,
                                              bool keepAll, int32_t offset) {
  uint32_t held = 0;
  return ReadFileList(stream, damageCounter, keepAll, offset, held);
}

std::unique_ptr<TFileCollection> ReadFileList(TKFileStream& stream, int32_t& damageCounter,
                                              bool keepAll, int32_t offset, uint32_t& held) {
  auto files = std::make_unique<TFileCollection>(100, 100);
  held = readFileListInto(stream, damageCounter, keepAll, offset, *files);
  return files;
}

void WriteFileList(const TFileCollection& collection, TKFileStream& stream, int64_t& size,
                   bool write) {
  uint64_t nameBytes = 0;
  for (const TOneFile* line : collection.Items()) nameBytes += line->Name.length();
  const uint64_t length = fileListBlockLength(static_cast<uint64_t>(collection.Count()), nameBytes);
  size += static_cast<int64_t>(length);
  if (!write) return;
  ensureAppendFits(stream.GetPosition(), length);
  ByteWriter w;
  w.reserve(static_cast<size_t>(length));
  writeFileListHead(w, static_cast<int32_t>(length), collection.Count());
  for (const TOneFile* line : collection.Items()) writeFileEntry(w, line->Data, line->Name.view());
  writeStreamBytes(stream, w.bytes());
}

void ReadDiskDetails(TCatalogueFile& handle, int32_t offset, ShortString& name, int nameMaximum,
                     ShortString& label, int labelMaximum, ShortString& path, int pathMaximum) {
  const TDiskInfo info = readDiskInfoAt(handle.Stream, offset, kDamageDiskDetails);
  name = cutTo(info.DiskName.view(), nameMaximum);
  label = cutTo(info.VolumeLabel.view(), labelMaximum);
  std::string scanned = info.ScannedPath.str();
  if (scanned.empty() && info.Drive != 0) scanned = {upperAscii(info.Drive), ':'};
  path = CutPathToTail(scanned, pathMaximum);
}

namespace {

// A name split as the catalogue stores it.
struct StoredName {
  ShortString Name;
  ExtensionString Ext;
};

StoredName splitStoredName(std::string_view fullName) {
  StoredName stored{ShortString(fullName), {}};
  SplitName(stored.Name, stored.Ext);
  return stored;
}

TDirCollection* exactSubDir(TDirCollection& node, const StoredName& name) {
  TDirCollection probe(nullptr, 0, false);
  probe.Dir.Name = name.Name;
  probe.Dir.Data.Ext = name.Ext;
  int32_t index = 0;
  return node.SortedSearch(&probe, index) ? node.ItemAt(index) : nullptr;
}

// Subfolders are ordered by name ignoring case first, so those equal to a name ignoring case
// stand together.
TDirCollection* subDirIgnoringCase(TDirCollection& node, const StoredName& name) {
  const auto items = node.Items();
  auto it = std::lower_bound(items.begin(), items.end(), name.Name,
                             [](const TDirCollection* sub, const ShortString& n) {
                               return compareText(sub->Dir.Name.view(), n.view()) < 0;
                             });
  for (; it != items.end() && sameText((*it)->Dir.Name.view(), name.Name.view()); ++it) {
    if (sameText((*it)->Dir.Data.Ext.view(), name.Ext.view())) return *it;
  }
  return nullptr;
}

TDirCollection* findSubDir(TDirCollection& node, std::string_view fullName) {
  const StoredName name = splitStoredName(fullName);
  if (TDirCollection* exact = exactSubDir(node, name)) return exact;
  return subDirIgnoringCase(node, name);
}

}  // namespace

TDirCollection* FindDirByPath(TDirCollection* node, std::string_view path) {
  std::string_view rest = path;
  if (rest.starts_with('\\')) rest.remove_prefix(1);
  while (node != nullptr && !rest.empty()) {
    const size_t slash = rest.find('\\');
    const std::string_view head = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (head.empty()) break;
    node = findSubDir(*node, head);
  }
  return node;
}

TDirCollection* FindDirByCutPath(TDirCollection* root, std::string_view path) {
  if (root == nullptr || !IsCutPath(path)) return nullptr;
  const std::string_view tail = path.substr(kCutPathMarker.size());
  struct Pending {
    TDirCollection* Node;
    size_t ParentLength;  // of the path text
  };
  std::vector<Pending> pending{{root, 0}};
  std::string text;
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    text.resize(next.ParentLength);
    AppendDirPathText(*next.Node, text);
    const std::string_view whole = std::string_view(text).substr(0, text.size() - 1);
    // Only a path longer than a record holds is ever cut; the tail is tested before the cut.
    if (whole.size() > static_cast<size_t>(ShortString::kMaxLength) && whole.ends_with(tail) &&
        DirPathFromText(text).view() == path) {
      return next.Node;
    }
    for (int32_t i = next.Node->Count(); i-- > 0;)
      pending.push_back({next.Node->ItemAt(i), text.size()});
  }
  return nullptr;
}

}  // namespace vellomar
