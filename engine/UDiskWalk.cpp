#include "engine/UDiskWalk.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "engine/UDBase.h"
#include "engine/UEngineFileFind.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiErrors.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UApiTypes.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

constexpr int kDetailsOnly = 1;
constexpr int kTreeAndRootFiles = 0;
constexpr int kWithParentLine = 0;
constexpr int32_t kLineProgressStep = 100;
constexpr int32_t kFreeSpaceProgressSteps = 20;

// Characters of a UTF-8 name; a byte that starts no valid sequence (an old catalogue's CP1252
// text) is one character.
int32_t characterCount(std::string_view text) {
  int32_t count = 0;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
    }
    bool valid = length <= text.size() - i;
    for (size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<uint8_t>(text[i + k]) & 0xC0) == 0x80;
    }
    i += valid ? length : 1;
    ++count;
  }
  return count;
}

// The part up to and including the last separator, and the rest.
void splitAtLastSeparator(std::string_view path, std::string_view separators, std::string& folder,
                          std::string& name) {
  const size_t cut = path.find_last_of(separators);
  const size_t split = cut == std::string_view::npos ? 0 : cut + 1;
  folder.assign(path.substr(0, split));
  name.assign(path.substr(split));
}

TDatabaseData databaseData(TDBase& handle) {
  TDatabaseData data;
  splitAtLastSeparator(handle.FileName, "\\/", data.Path, data.Name);
  data.DiskCount = handle.keyTable().keys().LiveCount;
  return data;
}

TDiskData diskData(const TDiskInfo& info) {
  TDiskData data;
  data.DiskName = info.DiskName.str();
  data.SizeKB = info.DiskSizeKB;
  data.FreeKB = info.FreeKB;
  data.Folders = info.Folders;
  data.Files = info.Files;
  data.Archives = info.Archives;
  data.FilesInArchives = info.ArchiveFiles;
  data.FoldersInArchives = info.ArchiveFolders;
  data.DataSize = info.DataSize;
  data.PhysSize = info.PhysSize;
  data.ArchSize = info.ArchSize;
  data.ScannedPath = info.ScannedPath.str();
  data.VolumeLabel = info.VolumeLabel.str();
  data.ScanDateTime = info.ScanDateTime;
  return data;
}

void fillFolderData(const TDirCollection& node, const ShortString& path, TFolderData& data) {
  // In a catalogue path "/" belongs to a name (a Linux name's backslash).
  splitAtLastSeparator(path.view(), "\\", data.Path, data.Name);
  data.DataSize = node.Totals.Size;
  data.Files = node.Totals.Files;
  data.Folders = node.Totals.Folders;
  data.PhysDataSize = node.Totals.PhysSize;
  data.PhysFiles = node.Totals.PhysFiles;
  data.PhysFolders = node.Totals.PhysFolders;
}

// The handle's flat-API procedures behind a sink; the export procedures read the API's value
// records, filled here just before each call.
class InstalledCallbacks : public TWalkSink {
 public:
  explicit InstalledCallbacks(const SearchState& state) : state_(state) {}

  void progress(bool& abort) override { state_.Progress(abort); }
  void printDisk(const ShortString& name) override { state_.Print.Disk(name); }
  void printFolder(const ShortString& path) override { state_.Print.Folder(path); }
  void printFile(const TOneFile& line) override { state_.Print.File(line); }
  void measure(const ShortString& name, int32_t& width) override {
    state_.Print.Measure(name, width);
  }
  void databaseBegin(const TDatabaseData& database) override {
    DatabaseData = database;
    state_.Export.DatabaseBegin();
  }
  void databaseEnd() override { state_.Export.DatabaseEnd(); }
  void diskBegin(const TDiskData& disk) override {
    DiskData = disk;
    state_.Export.DiskBegin();
  }
  void diskEnd() override { state_.Export.DiskEnd(); }
  void folderBegin(const TFolderData& folder) override {
    FolderData = folder;
    state_.Export.FolderBegin();
  }
  void folderEnd() override { state_.Export.FolderEnd(); }
  void file(const TOneFile& line) override {
    CopyOneFile(line, FileData);
    state_.Export.File();
  }

 private:
  const SearchState& state_;
};

struct Walk {
  TDBase& Handle;
  TTreeStruct& Tree;
  VisitCounters& Counters;
  TWalkSink& Sink;
  int32_t Mode;
  TFolderData Folder;  // room kept from folder to folder
};

void visitLine(Walk& walk, const TOneFile& line, const TDirCollection& node) {
  VisitCounters& counters = walk.Counters;
  if (++counters.Files % kLineProgressStep == 0) walk.Sink.progress(walk.Handle.Abort);
  const int32_t length = characterCount(line.Name.view());
  counters.LongestName = std::max(counters.LongestName, length);
  counters.TotalNameLength += length;
  // The ".." line is the one that leads to the parent, whatever a file's name.
  const bool parentLine = node.Parent != nullptr && line.SubDir == node.Parent;
  if (walk.Mode == kWalkPrint) {
    if (!parentLine) walk.Sink.printFile(line);
    return;
  }
  int32_t width = length;
  walk.Sink.measure(line.Name, width);
  counters.WidestName = std::max(counters.WidestName, width);
  if (walk.Mode == kWalkExport && !parentLine) walk.Sink.file(line);
}

void walkFolder(Walk& walk, TDirCollection* node, bool filesLoaded) {
  if (!filesLoaded || walk.Tree.CurDir != node || !walk.Tree.FileCol) {
    walk.Tree.CurDir = node;
    LoadFileCol(walk.Tree, kWithParentLine);
  }
  const ShortString path = GetDirPath(*node);
  if (walk.Mode == kWalkPrint) walk.Sink.printFolder(path);
  if (walk.Mode == kWalkExport) {
    fillFolderData(*node, path, walk.Folder);
    walk.Sink.folderBegin(walk.Folder);
  }
  ++walk.Counters.Folders;
  for (const TOneFile* line : walk.Tree.FileCol->Items()) {
    if (walk.Handle.Abort) break;
    visitLine(walk, *line, *node);
  }
  if (walk.Mode == kWalkExport) walk.Sink.folderEnd();
}

// start and the folders below it; filesLoaded: start's lines are loaded already.
void walkTree(Walk& walk, TDirCollection* start, bool filesLoaded) {
  if (start == nullptr) return;
  ForEachFolder(*start, [&](TDirCollection& node) {
    if (walk.Handle.Abort) return false;
    walkFolder(walk, &node, filesLoaded && &node == start);
    return !walk.Handle.Abort;
  });
}

// One disk from its loaded tree: begin, the folders from start down, end. Damage ends the
// disk's part; its end still follows a begin.
void walkDisk(Walk& walk, const ShortString& diskName, TDirCollection* start, bool filesLoaded) {
  bool begun = false;
  try {
    if (walk.Mode == kWalkPrint) walk.Sink.printDisk(diskName);
    if (walk.Mode == kWalkExport) {
      walk.Sink.diskBegin(diskData(walk.Tree.DiskInfo));
      begun = true;
    }
    walkTree(walk, start, filesLoaded);
  } catch (const EKstvDBaseStructException&) {
    ++walk.Handle.DamageCounter;
  }
  if (begun) walk.Sink.diskEnd();
}

SearchScope keyScopeOf(int32_t scope) {
  switch (scope) {
    case kWalkCurrentDisk:
      return SearchScope::kCurrentDisk;
    case kWalkSelectedDisks:
      return SearchScope::kSelectedDisks;
    default:
      return SearchScope::kNotSelectedDisks;
  }
}

void walkCurrentFolder(TDBase& handle, TTreeSlots& trees, int32_t mode, TWalkSink& sink) {
  TTreeStruct& tree = *trees.Current;
  TDirCollection* start = tree.CurDir;
  const TKeyField& keys = handle.keyTable().keys();
  const bool keyShown = keys.CurrentIndex >= 0 && keys.CurrentIndex < keys.count();
  const ShortString diskName =
      keyShown
          ? handle.keyTable().ReadDiskName(keys.Keys[static_cast<size_t>(keys.CurrentIndex)].Offset)
          : tree.DiskInfo.DiskName;
  Walk walk{handle, tree, handle.Search.Counters, sink, mode, {}};
  walkDisk(walk, diskName, start, false);
  ++handle.Search.Counters.Disks;
  // The walk moved through the tree; the folder shown comes back with a fresh list.
  tree.CurDir = start;
  LoadFileCol(tree, kWithParentLine);
}

void walkDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode, TWalkSink& sink) {
  const bool anyDisk =
      scope == kWalkCurrentDisk || scope == kWalkSelectedDisks || scope == kWalkNotSelectedDisks;
  KeyTable& keys = handle.keyTable();
  for (int32_t i = 0; anyDisk && i < keys.keys().LiveCount; ++i) {
    if (!DiskInScope(keys.keys(), i, keyScopeOf(scope))) continue;
    const int32_t offset = keys.keys().Keys[static_cast<size_t>(i)].Offset;
    LoadTreeStruct(handle, trees, offset, kTreeAndRootFiles);
    if (trees.Current) {
      Walk walk{handle, *trees.Current, handle.Search.Counters, sink, mode, {}};
      walkDisk(walk, keys.ReadDiskName(offset), trees.Current->Root.get(), true);
    }
    ++handle.Search.Counters.Disks;
    trees.Current.reset();
    sink.progress(handle.Abort);
    if (handle.Abort) break;
  }
}

}  // namespace

void SearchFreeSpace(TDBase& handle, TTreeSlots& trees) {
  SearchState& state = handle.Search;
  ResetVisit(handle, handle.Search.Counters, handle.Abort);
  state.Found.FreeAll();
  KeyTable& keys = handle.keyTable();
  const int32_t live = keys.keys().LiveCount;
  const int32_t step = (live - 1) / kFreeSpaceProgressSteps + 1;
  for (int32_t i = 0; i < live; ++i) {
    const int32_t offset = keys.keys().Keys[static_cast<size_t>(i)].Offset;
    try {
      LoadTreeStruct(handle, trees, offset, kDetailsOnly);
      if (trees.Current) {
        const TDiskInfo& info = trees.Current->DiskInfo;
        ++state.Counters.Disks;
        state.Found.Add(
            NewFoundFolderItem(std::make_shared<const std::string>(keys.diskNameView(offset)),
                               info.FreeKB, info.DiskSizeKB, {}));
      }
    } catch (const EKstvDBaseStructException&) {
      ++handle.DamageCounter;
    }
    if (i % step == 0) {
      state.Progress(handle.Abort);
      if (handle.Abort) break;
    }
  }
  trees.Current.reset();
}

void IterateDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode, TWalkSink& sink) {
  handle.Search.Counters = VisitCounters{};
  handle.DamageCounter = 0;
  handle.Abort = false;
  if (scope == kWalkCurrentFolder && (!trees.Current || trees.Current->CurDir == nullptr)) {
    throw EKstvFatalException(kTreeStructIsNil);
  }
  if (mode == kWalkExport) sink.databaseBegin(databaseData(handle));
  if (scope == kWalkCurrentFolder) {
    walkCurrentFolder(handle, trees, mode, sink);
  } else {
    walkDisks(handle, trees, scope, mode, sink);
  }
  if (mode == kWalkExport) sink.databaseEnd();
}

void IterateDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode) {
  InstalledCallbacks callbacks(handle.Search);
  IterateDisks(handle, trees, scope, mode, callbacks);
}

}  // namespace vellomar
