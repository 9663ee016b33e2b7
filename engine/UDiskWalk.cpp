#include "engine/UDiskWalk.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "engine/UDBase.h"
#include "engine/UEngineFileFind.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiErrors.h"
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
  folder = std::string(path.substr(0, split));
  name = std::string(path.substr(split));
}

void fillDatabaseData(TDBase& handle) {
  splitAtLastSeparator(handle.FileName, "\\/", DatabaseData.Path, DatabaseData.Name);
  DatabaseData.DiskCount = handle.keyTable().keys().LiveCount;
}

void fillDiskData(const TDiskInfo& info) {
  DiskData.DiskName = info.DiskName.str();
  DiskData.SizeKB = info.DiskSizeKB;
  DiskData.FreeKB = info.FreeKB;
  DiskData.Folders = info.Folders;
  DiskData.Files = info.Files;
  DiskData.Archives = info.Archives;
  DiskData.FilesInArchives = info.ArchiveFiles;
  DiskData.FoldersInArchives = info.ArchiveFolders;
  DiskData.DataSize = info.DataSize;
  DiskData.PhysSize = info.PhysSize;
  DiskData.ArchSize = info.ArchSize;
  DiskData.ScannedPath = info.ScannedPath.str();
  DiskData.VolumeLabel = info.VolumeLabel.str();
  DiskData.ScanDateTime = info.ScanDateTime;
}

void fillFolderData(const TDirCollection& node, const ShortString& path) {
  // In a catalogue path "/" belongs to a name (a Linux name's backslash).
  splitAtLastSeparator(path.view(), "\\", FolderData.Path, FolderData.Name);
  FolderData.DataSize = node.Totals.Size;
  FolderData.Files = node.Totals.Files;
  FolderData.Folders = node.Totals.Folders;
  FolderData.PhysDataSize = node.Totals.PhysSize;
  FolderData.PhysFiles = node.Totals.PhysFiles;
  FolderData.PhysFolders = node.Totals.PhysFolders;
}

struct Walk {
  TDBase& Handle;
  TTreeStruct& Tree;
  SearchState& State;
  int32_t Mode;
};

void reportProgress(TDBase& handle) {
  handle.Search.Progress(handle.Abort);
}

void visitLine(Walk& walk, const TOneFile& line, const TDirCollection& node) {
  VisitCounters& counters = walk.State.Counters;
  if (++counters.Files % kLineProgressStep == 0) reportProgress(walk.Handle);
  const int32_t length = characterCount(line.Name.view());
  counters.LongestName = std::max(counters.LongestName, length);
  counters.TotalNameLength += length;
  // The ".." line is the one that leads to the parent, whatever a file's name.
  const bool parentLine = node.Parent != nullptr && line.SubDir == node.Parent;
  if (walk.Mode == kWalkPrint) {
    if (!parentLine) walk.State.Print.File(line);
    return;
  }
  int32_t width = length;
  walk.State.Print.Measure(line.Name, width);
  counters.WidestName = std::max(counters.WidestName, width);
  if (walk.Mode == kWalkExport && !parentLine) {
    CopyOneFile(line, FileData);
    walk.State.Export.File();
  }
}

void walkFolder(Walk& walk, TDirCollection* node, bool filesLoaded) {
  if (!filesLoaded || walk.Tree.CurDir != node || !walk.Tree.FileCol) {
    walk.Tree.CurDir = node;
    LoadFileCol(walk.Tree, kWithParentLine);
  }
  const ShortString path = GetDirPath(*node);
  if (walk.Mode == kWalkPrint) walk.State.Print.Folder(path);
  if (walk.Mode == kWalkExport) {
    fillFolderData(*node, path);
    walk.State.Export.FolderBegin();
  }
  ++walk.State.Counters.Folders;
  for (const TOneFile* line : walk.Tree.FileCol->Items()) {
    if (walk.Handle.Abort) break;
    visitLine(walk, *line, *node);
  }
  if (walk.Mode == kWalkExport) walk.State.Export.FolderEnd();
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
void walkDisk(TDBase& handle, TTreeStruct& tree, const ShortString& diskName, TDirCollection* start,
              bool filesLoaded, int32_t mode) {
  Walk walk{handle, tree, handle.Search, mode};
  bool begun = false;
  try {
    if (mode == kWalkPrint) handle.Search.Print.Disk(diskName);
    if (mode == kWalkExport) {
      fillDiskData(tree.DiskInfo);
      handle.Search.Export.DiskBegin();
      begun = true;
    }
    walkTree(walk, start, filesLoaded);
  } catch (const EKstvDBaseStructException&) {
    ++handle.DamageCounter;
  }
  if (begun) handle.Search.Export.DiskEnd();
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

void walkCurrentFolder(TDBase& handle, TTreeSlots& trees, int32_t mode) {
  TTreeStruct& tree = *trees.Current;
  TDirCollection* start = tree.CurDir;
  const TKeyField& keys = handle.keyTable().keys();
  const bool keyShown = keys.CurrentIndex >= 0 && keys.CurrentIndex < keys.count();
  const ShortString diskName =
      keyShown
          ? handle.keyTable().ReadDiskName(keys.Keys[static_cast<size_t>(keys.CurrentIndex)].Offset)
          : tree.DiskInfo.DiskName;
  walkDisk(handle, tree, diskName, start, false, mode);
  ++handle.Search.Counters.Disks;
  // The walk moved through the tree; the folder shown comes back with a fresh list.
  tree.CurDir = start;
  LoadFileCol(tree, kWithParentLine);
}

void walkDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode) {
  const bool anyDisk =
      scope == kWalkCurrentDisk || scope == kWalkSelectedDisks || scope == kWalkNotSelectedDisks;
  KeyTable& keys = handle.keyTable();
  for (int32_t i = 0; anyDisk && i < keys.keys().LiveCount; ++i) {
    if (!DiskInScope(keys.keys(), i, keyScopeOf(scope))) continue;
    const int32_t offset = keys.keys().Keys[static_cast<size_t>(i)].Offset;
    LoadTreeStruct(handle, trees, offset, kTreeAndRootFiles);
    if (trees.Current) {
      TTreeStruct& tree = *trees.Current;
      walkDisk(handle, tree, keys.ReadDiskName(offset), tree.Root.get(), true, mode);
    }
    ++handle.Search.Counters.Disks;
    trees.Current.reset();
    reportProgress(handle);
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
      reportProgress(handle);
      if (handle.Abort) break;
    }
  }
  trees.Current.reset();
}

void IterateDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode) {
  handle.Search.Counters = VisitCounters{};
  handle.DamageCounter = 0;
  handle.Abort = false;
  if (scope == kWalkCurrentFolder && (!trees.Current || trees.Current->CurDir == nullptr)) {
    throw EKstvFatalException(kTreeStructIsNil);
  }
  if (mode == kWalkExport) {
    fillDatabaseData(handle);
    handle.Search.Export.DatabaseBegin();
  }
  if (scope == kWalkCurrentFolder) {
    walkCurrentFolder(handle, trees, mode);
  } else {
    walkDisks(handle, trees, scope, mode);
  }
  if (mode == kWalkExport) handle.Search.Export.DatabaseEnd();
}

}  // namespace vellomar
