#include "engine/UEngineMain.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDescCarryOver.h"
#include "engine/UEngineDescImport.h"
#include "engine/UFileListBlock.h"
#include "engine/UFilterModules.h"
#include "engine/UMasks.h"
#include "engine/UScanFolder.h"
#include "engine/UScanHooks.h"
#include "engine/UScanPrevious.h"
#include "engine/UStreamBytes.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UBaseUtils.h"
#include "platform/PAsciiText.h"
#include "platform/PFind.h"
#include "platform/PPaths.h"
#include "platform/PText.h"
#include "platform/PVolumes.h"

namespace vellomar {

namespace {

// A folder whose Linux path would reach the system's limit is listed but not entered: nothing
// in it could be opened by its name.
constexpr size_t kMaxLinuxPath = PATH_MAX - 1;  // the terminating zero counts in PATH_MAX
// The walk holds the folders along its path open, to reach each subfolder through its parent
// and never through a path; below this depth it reaches them by their paths instead, so a
// deep tree cannot use up the process's descriptors.
constexpr int kMaxHeldFolders = 64;
constexpr std::string_view kDiskInfoName = "DiskInfo.txt";
constexpr uint32_t kSimulatedDiskInfoSize = 1;

// The stored size is an unsigned 32-bit field: larger files keep its largest value.
int32_t storedSize(int64_t size) {
  return static_cast<int32_t>(static_cast<uint32_t>(std::clamp<int64_t>(size, 0, UINT32_MAX)));
}

int32_t kilobytes(uint64_t bytes) {
  return static_cast<int32_t>(std::min<uint64_t>(bytes / 1024, INT32_MAX));
}

bool isAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void endWithBackslash(std::string& path) {
  if (path.empty() || path.back() != '\\') path += '\\';
}

void appendFullName(const TDirCollection& node, std::string& out) {
  out += node.Dir.Name.view();
  out += node.Dir.Data.Ext.view();
}

std::string fullNameOf(const TDirCollection& node) {
  std::string name;
  appendFullName(node, name);
  return name;
}

std::unique_ptr<TDirCollection> newRoot() {
  auto root = std::make_unique<TDirCollection>(nullptr, 0, false);
  root->Dir.Name = "\\";
  root->Dir.Data.Attr = kAttrFolder;
  return root;
}

// The progress text of a folder: its path, or the tail of a path too long to show whole.
void reportFolder(const std::string& path) {
  CallbackMessage(CutPathToTail(path, ShortString::kMaxLength));
}

// Where the walk stands: a folder by the user's path and by its Linux path.
struct ScanPlace {
  std::string Path;
  std::string LinuxPath;
};

// The walk of one scan: the tree being filled, the previous version, and the file system the
// scanned folder lies on. The folder walk reads each folder once, through its descriptor; the
// file pass takes the files it kept.
class DiskScan {
 public:
  DiskScan(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
           ScanVolume volume)
      : tree_(tree), previous_(previous), options_(options), volume_(volume) {}

  // parent: the open folder that holds node, null to open it by its Linux path.
  bool ScanFolderTree(TDirCollection& node, const ScanPlace& place, const FindSearch* parent,
                      int depth);
  // previousNode: the same folder in the previous version, null when there is none.
  bool ScanFolderFiles(TDirCollection& node, TDirCollection* previousNode, const ScanPlace& place);

 private:
  ScanPlace childPlace(const TDirCollection& sub, const ScanPlace& place) const;
  bool entered(const TDirCollection& sub, const ScanPlace& child) const;
  void appendFoundName(const TDirCollection& sub, std::string& out) const;
  void addLine(TScanLines& lines, TDirCollection& node, const std::optional<PreviousFolder>& prev,
               const std::string& linuxFolder, const ScanEntry& entry);
  void carryFolderDescs(TDirCollection& node, const PreviousFolder& prev) const;
  void listArchives(TDirCollection& node, const std::optional<PreviousFolder>& prev,
                    TScanLines& lines, const ScanPlace& place);
  void storeFileList(TDirCollection& node, const std::optional<PreviousFolder>& prev,
                     const TScanLines& lines);

  TTreeStruct& tree_;
  TTreeStruct* previous_;
  const TLocalOptions& options_;
  ScanVolume volume_;
  int32_t foldersBegun_ = 0;
  // Folders listed but not to be entered (other file systems), and the names a file system
  // gives folders and files whose stored names differ.
  std::unordered_set<const TDirCollection*> closed_;
  std::unordered_map<const TDirCollection*, std::string> foundNames_;
  std::unordered_map<std::string, std::string> foundFileNames_;
  // The files the walk read, of each folder that has any: both passes take the folders in the
  // same order, so the file pass takes them from the front.
  std::vector<std::pair<const TDirCollection*, ScanFiles>> files_;
  size_t nextFiles_ = 0;
};

void DiskScan::appendFoundName(const TDirCollection& sub, std::string& out) const {
  const auto found = foundNames_.find(&sub);
  if (found != foundNames_.end()) {
    out += found->second;
  } else {
    appendFullName(sub, out);
  }
}

// Each path made once at its length: a walk makes two for every folder in each pass.
ScanPlace DiskScan::childPlace(const TDirCollection& sub, const ScanPlace& place) const {
  constexpr size_t kLongestName = 2 * ShortString::kMaxLength;
  ScanPlace child;
  child.Path.reserve(place.Path.size() + 1 + kLongestName);
  child.Path = place.Path;
  endWithBackslash(child.Path);
  appendFullName(sub, child.Path);
  child.LinuxPath.reserve(place.LinuxPath.size() + 1 + kLongestName);
  child.LinuxPath = place.LinuxPath;
  child.LinuxPath += '/';
  appendFoundName(sub, child.LinuxPath);
  return child;
}

bool DiskScan::entered(const TDirCollection& sub, const ScanPlace& child) const {
  return child.LinuxPath.size() <= kMaxLinuxPath && !closed_.contains(&sub);
}

bool DiskScan::ScanFolderTree(TDirCollection& node, const ScanPlace& place,
                              const FindSearch* parent, int depth) {
  if (CallbackAbort()) return false;
  reportFolder(place.Path);
  FindSearch folder;
  bool opened = false;
  if (parent != nullptr) {
    std::string name;
    appendFoundName(node, name);
    opened = folder.openChild(*parent, name);
  } else {
    opened = folder.openAt(place.LinuxPath);
  }
  ScanFolderContents contents;
  if (opened) contents = readScanFolder(folder, volume_);
  if (depth >= kMaxHeldFolders) folder.close();
  // Sized to the folders read: the collection's own growth step would give every small folder
  // a hundred slots, near half the tree's memory.
  node.SetCapacity(static_cast<int32_t>(std::min<size_t>(
      static_cast<size_t>(node.Count()) + contents.Folders.size(), kMaxCollectionItems)));
  for (const ScanEntry& entry : contents.Folders) {
    auto sub = std::make_unique<TDirCollection>(&node, 0, false);
    sub->Dir.Name = ShortString(entry.Name);
    SplitName(sub->Dir.Name, sub->Dir.Data.Ext);
    sub->Dir.Data.Attr = entry.Attributes;
    if (!node.Add(sub.get())) continue;
    TDirCollection* added = sub.release();
    ++tree_.DiskInfo.Folders;
    if (!entry.Enterable) closed_.insert(added);
    if (entry.FoundName != entry.Name) foundNames_.emplace(added, entry.FoundName);
  }
  contents.Folders = {};
  if (!contents.Files.empty()) files_.emplace_back(&node, std::move(contents.Files));
  for (TDirCollection* sub : node.Items()) {
    const ScanPlace child = childPlace(*sub, place);
    if (!entered(*sub, child)) continue;
    if (!ScanFolderTree(*sub, child, folder.isOpen() ? &folder : nullptr, depth + 1)) return false;
  }
  return true;
}

void DiskScan::addLine(TScanLines& lines, TDirCollection& node,
                       const std::optional<PreviousFolder>& prev, const std::string& linuxFolder,
                       const ScanEntry& entry) {
  TDiskInfo& info = tree_.DiskInfo;
  ++info.Files;
  info.PhysSize += entry.Size;
  info.DataSize += entry.Size;
  ++node.Dir.Data.FileCount;
  node.Dir.Data.FilesSize += entry.Size;
  // Split in place: a file costs no name of its own on the way to its line.
  const std::string_view stored = utf8Prefix(entry.Name, ShortString::kMaxLength);
  const size_t extensionStart = ExtensionStart(stored);
  const std::string_view name = stored.substr(0, extensionStart);
  TFileRecord record;
  record.DateTime = static_cast<int32_t>(entry.DosDateTime);
  record.Size = storedSize(entry.Size);
  record.Attr = entry.Attributes;
  record.Ext = ExtensionString(stored.substr(extensionStart));
  TCarriedDesc desc;
  if (prev) {
    desc = prev->fileDesc(record.DateTime, name, record.Ext.view());
    if (desc.Offset == 0) desc = prev->dirDesc(record.DateTime, name, record.Ext.view());
  }
  // No path is made for a file whose description is not read.
  if (desc.Offset == 0 && entry.Regular && options_.ScanDesc) {
    desc.Offset = ImportDescription(tree_, options_, tree_.Owner->Stream,
                                    linuxFolder + '/' + entry.FoundName, ShortString(entry.Name));
  }
  record.DescOffset = desc.Offset;
  if (desc.UserWritten) record.Attr |= kAttrUserDesc;
  lines.add(record, name, entry.Regular);
}

void DiskScan::carryFolderDescs(TDirCollection& node, const PreviousFolder& prev) const {
  for (TDirCollection* sub : node.Items()) {
    TDirData& data = sub->Dir.Data;
    if (data.DescOffset != 0) continue;
    TCarriedDesc desc = prev.dirDesc(data.DateTime, sub->Dir.Name.view(), data.Ext.view());
    if (desc.Offset == 0)
      desc = prev.fileDesc(data.DateTime, sub->Dir.Name.view(), data.Ext.view());
    data.DescOffset = desc.Offset;
    if (desc.UserWritten) data.Attr |= kAttrUserDesc;
  }
}

void DiskScan::listArchives(TDirCollection& node, const std::optional<PreviousFolder>& prev,
                            TScanLines& lines, const ScanPlace& place) {
  TDirCollection* prevNode = prev ? &prev->node() : nullptr;
  std::string folder = place.Path;
  endWithBackslash(folder);
  for (size_t i = 0; i < lines.slots(); ++i) {
    if (!lines.kept(i) || !lines.regular(i)) continue;
    if (options_.AlwaysRescanArchives || !MovePrevArchive(tree_, node, prevNode, lines, i)) {
      // Nor for an archive that is not read.
      if (options_.ScanArchives == kScanArchivesNo) continue;
      const TFileEntry line = lines.at(i);
      const std::string name = line.Name.str() + std::string(line.Record.Ext.view());
      const auto found = foundFileNames_.find(name);
      const ArchivePaths archive{
          folder + name, place.LinuxPath + '/' +
                             (found != foundFileNames_.end() ? found->second : linuxNameOf(name))};
      ScanArchive(tree_, previous_, options_, node, lines, i, archive);
    }
  }
}

void DiskScan::storeFileList(TDirCollection& node, const std::optional<PreviousFolder>& prev,
                             const TScanLines& lines) {
  int32_t& offset = node.Dir.Data.FileListOffset;
  offset = 0;
  if (prev) {
    if (const std::optional<int32_t> shared = prev->sharedFileList(lines)) {
      offset = *shared;
      return;
    }
  }
  if (lines.empty()) return;
  const uint64_t length = lines.blockLength();
  TKFileStream& stream = tree_.Owner->Stream;
  stream.SeekToEnd();
  ensureAppendFits(stream.GetPosition(), length);
  ByteWriter head;
  writeFileListHead(head, static_cast<int32_t>(length), static_cast<int32_t>(lines.size()));
  offset = static_cast<int32_t>(stream.GetPosition());
  writeStreamBytes(stream, head.bytes());
  for (const std::span<const uint8_t> run : lines.keptRuns()) writeStreamBytes(stream, run);
}

bool DiskScan::ScanFolderFiles(TDirCollection& node, TDirCollection* previousNode,
                               const ScanPlace& place) {
  if (CallbackAbort()) return false;
  node.Dir.Data.FileCount = 0;
  node.Dir.Data.FilesSize = 0;
  const std::optional<PreviousFolder> prev =
      PreviousFolder::find(previous_, previousNode, options_.AlwaysCreateDesc);
  reportFolder(place.Path);
  ++foldersBegun_;
  const int32_t folders = tree_.DiskInfo.Folders;
  if (folders > 0) {
    CallbackPercent(2, static_cast<int32_t>(int64_t{foldersBegun_} * 100 / (int64_t{folders} + 1)));
  }
  ScanFiles files;
  if (nextFiles_ < files_.size() && files_[nextFiles_].first == &node) {
    files = std::move(files_[nextFiles_++].second);
  }
  TScanLines lines;
  // Room for the simulated "DiskInfo.txt" too, and never twice the room of a huge folder.
  lines.reserve(files.count() + 1, files.nameBytes() + kDiskInfoName.size());
  bool diskInfoSeen = false;
  uint32_t lastFileTime = 0;
  foundFileNames_.clear();
  files.visit([&](ScanEntry& entry) {
    lastFileTime = entry.DosDateTime;
    const bool diskInfo = sameAsciiIgnoringCase(entry.Name, kDiskInfoName);
    if (diskInfo) {
      entry.Name = kDiskInfoName;
      diskInfoSeen = true;
    }
    if (diskInfo || volume_.CaseInsensitive) foundFileNames_.emplace(entry.Name, entry.FoundName);
    addLine(lines, node, prev, place.LinuxPath, entry);
  });
  files = {};
  if (options_.SimulateDiskInfo && node.Parent == nullptr && !diskInfoSeen) {
    ScanEntry simulated;
    simulated.Name = kDiskInfoName;
    simulated.Size = kSimulatedDiskInfoSize;
    simulated.DosDateTime = lines.empty() ? dosDateTimeOf(std::time(nullptr)) : lastFileTime;
    addLine(lines, node, prev, place.LinuxPath, simulated);
  }
  listArchives(node, prev, lines, place);
  if (prev) carryFolderDescs(node, *prev);
  storeFileList(node, prev, lines);
  lines = {};
  for (TDirCollection* sub : node.Items()) {
    if (sub->Dir.Data.Attr & kAttrArchiveFolder) continue;
    const ScanPlace child = childPlace(*sub, place);
    if (!entered(*sub, child)) continue;
    TDirCollection* previousSub =
        previousNode != nullptr ? FindDirByPath(previousNode, fullNameOf(*sub)) : nullptr;
    if (!ScanFolderFiles(*sub, previousSub, child)) return false;
  }
  return true;
}

void fillDriveDetails(TDiskInfo& info, std::string_view path,
                      const std::optional<std::string>& linuxRoot) {
  if (path.empty() || !isAsciiLetter(path[0])) return;
  info.Drive = path[0];
  // The volume the scanned path lies on, also for a folder scanned as a disk.
  const DiskSpace space = linuxRoot ? diskSpaceAt(*linuxRoot) : DiskSpace{};
  info.DiskSizeKB = kilobytes(space.totalBytes);
  info.FreeKB = kilobytes(space.freeBytes);
}

void resetToEmptyRoot(TTreeStruct& tree) {
  tree.Root = newRoot();
  tree.CurDir = tree.Root.get();
  tree.FileCol = std::make_unique<TFileCollection>(10, 10);
}

// The description filter modules, loaded for the file pass and released on every path.
class FilterModulesLoaded {
 public:
  explicit FilterModulesLoaded(TTreeStruct& tree) : tree_(tree) { LoadFilterModules(tree_); }
  ~FilterModulesLoaded() { FreeFilterModules(tree_); }
  FilterModulesLoaded(const FilterModulesLoaded&) = delete;
  FilterModulesLoaded& operator=(const FilterModulesLoaded&) = delete;

 private:
  TTreeStruct& tree_;
};

// The same for the archive modules.
class ArchiveModulesLoaded {
 public:
  ArchiveModulesLoaded(TTreeStruct& tree, const TLocalOptions& options) : tree_(tree) {
    LoadArchiveModules(tree_, options);
  }
  ~ArchiveModulesLoaded() { FreeArchiveModules(tree_); }
  ArchiveModulesLoaded(const ArchiveModulesLoaded&) = delete;
  ArchiveModulesLoaded& operator=(const ArchiveModulesLoaded&) = delete;

 private:
  TTreeStruct& tree_;
};

bool scanTree(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
              std::string_view path) {
  const std::optional<std::string> linuxRoot = toLinuxPath(std::string(path));
  fillDriveDetails(tree.DiskInfo, path, linuxRoot);
  FindSearch rootFolder;
  const bool opened = linuxRoot && rootFolder.openAt(*linuxRoot);
  DiskScan scan(tree, previous, options, opened ? scanVolumeOf(rootFolder) : ScanVolume{});
  rootFolder.close();
  const ScanPlace root{std::string(path), linuxRoot.value_or(std::string())};
  if (!scan.ScanFolderTree(*tree.Root, root, nullptr, 0)) return false;
  CallbackPercent(2, 0);
  const FilterModulesLoaded filters(tree);
  const ArchiveModulesLoaded archives(tree, options);
  return scan.ScanFolderFiles(*tree.Root, previous ? previous->Root.get() : nullptr, root);
}

}  // namespace

bool ScanDiskToTree(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
                    std::string_view path, const ShortString& diskName,
                    const ShortString& volumeLabel) {
  CallbackPercent(1, 0);
  TDiskInfo& info = tree.DiskInfo;
  info.DiskName = diskName;
  info.VolumeLabel = volumeLabel;
  info.ScannedPath = CutPathToTail(path, ShortString::kMaxLength);
  ParseMaskList(options.DescFileTable, tree.MaskList, tree.FilterModules, false);
  info.ScanDateTime = static_cast<int32_t>(dosDateTimeOf(std::time(nullptr)));
  tree.ScanState = {options.ScanArchives, 0, 0};
  resetToEmptyRoot(tree);
  bool done = false;
  try {
    done = scanTree(tree, previous, options, path);
  } catch (...) {
    resetToEmptyRoot(tree);
    throw;
  }
  if (!done) {
    // Nothing saves an aborted scan: what it appended goes out to the file now, not at close.
    tree.Owner->Stream.WriteOut();
    resetToEmptyRoot(tree);
  }
  return done;
}

}  // namespace vellomar
