#include "engine/api/UApi.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineMain.h"
#include "engine/UMasks.h"
#include "engine/api/UApiGlobals.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

void copyOut(ShortString& out, std::string_view text, int capacity) {
  const auto limit = static_cast<size_t>(std::clamp(capacity, 0, ShortString::kMaxLength));
  out = ShortString(utf8Prefix(text, limit));
}

int32_t shownKeyCount(TDBase& handle) {
  return handle.keyTable().GetKeyCount(handle.LocalOptions.ShowDeleted);
}

bool isIndexIn(int32_t index, int32_t count) {
  return index >= 0 && index < count;
}

TKeyEntry& keyAt(TDBase& handle, int32_t index) {
  return handle.keyTable().keys().Keys[static_cast<size_t>(index)];
}

void readKey(TDBase& handle, int32_t index, ShortString& name, uint16_t& flags, int capacity) {
  const TKeyEntry key = keyAt(handle, index);
  flags = key.Flags;
  copyOut(name, handle.keyTable().diskNameView(key.Offset), capacity);
}

void setFlag(TDBase* handle, bool TDBase::*flag, bool value) {
  if (handle != nullptr) handle->*flag = value;
}

void setKeysChanged(TDBase* handle, bool value) {
  if (handle != nullptr) handle->keyTable().setDisksChanged(value);
}

// A deleted disk cannot be selected.
void changeSelection(TDBase& handle, int32_t index, bool toggle, bool select) {
  if (!isIndexIn(index, handle.keyTable().keys().count())) return;
  TKeyEntry& key = keyAt(handle, index);
  if (key.Flags & kKeyDeleted) return;
  const bool selected = toggle ? (key.Flags & kKeySelected) == 0 : select;
  key.Flags = selected ? static_cast<uint16_t>(key.Flags | kKeySelected)
                       : static_cast<uint16_t>(key.Flags & ~kKeySelected);
}

constexpr int kDetailsOnly = 1;
constexpr int kDetailsAndTree = 0;
constexpr int kListWithParent = 0;

TDirCollection& requireNode(TDirCollection* node) {
  if (node == nullptr) throw EKstvFatalException(kDirColHandleIsNil);
  return *node;
}

TFileCollection& requireFiles(TFileCollection* files) {
  if (files == nullptr) throw EKstvFatalException(kFileColHandleIsNil);
  return *files;
}

// The current folder where a disk is shown and a tree loaded, else null.
TDirCollection* shownFolder(TDBase* handle) {
  if (handle == nullptr || shownKeyCount(*handle) == 0 || !handle->Trees.Current) return nullptr;
  return handle->Trees.Current->CurDir;
}

// Whether the tree was read from the disk block at offset: its root's record lies right
// behind the block's details, of the current or the older form. Blocks cannot overlap, so no
// other block's tree matches.
bool readFromBlock(const TTreeStruct& tree, int32_t offset) {
  if (!tree.Root || offset <= 0) return false;
  constexpr auto kCurrentRoot = static_cast<int64_t>(kDiskBlockFixedSize + kFolderDataRecordOffset);
  constexpr auto kOlderRoot =
      static_cast<int64_t>(kBlockHeadSize + kOldDiskInfoSize + kFolderDataRecordOffset);
  const int64_t entry = tree.Root->Dir.EntryOffset;
  return entry == offset + kCurrentRoot || entry == offset + kOlderRoot;
}

// The details of disk index loaded as the current tree, to be rewritten in place; null for a bad
// index, a read-only database, or a damaged block, so that nothing is ever written over it.
TDiskInfo* detailsToRewrite(TDBase& handle, int32_t index) {
  if (!isIndexIn(index, handle.keyTable().keys().count()) || handle.ReadOnly) return nullptr;
  handle.Trees.Current.reset();
  const int32_t damageBefore = handle.DamageCounter;
  LoadTreeStruct(handle, handle.Trees, keyAt(handle, index).Offset, kDetailsOnly);
  if (handle.DamageCounter != damageBefore) return nullptr;
  return &handle.Trees.Current->DiskInfo;
}

// A disk marked deleted whose block waits for its new details.
struct DetailsRewrite {
  int32_t Offset = 0;
  TDiskInfo Info;
};

// Moves disk index among the deleted ones in memory and keeps its new details for the block.
bool markForDeletion(TDBase& handle, int32_t index, std::vector<DetailsRewrite>& rewrites) {
  TDiskInfo* info = detailsToRewrite(handle, index);
  if (info == nullptr) return false;
  MarkDiskDeleted(*info, handle.keyTable().keys());
  rewrites.push_back({keyAt(handle, index).Offset, *info});
  handle.keyTable().MoveKeyToDeleted(index);
  return true;
}

// The key table is written first: a break before the blocks are rewritten leaves the disks
// deleted under their old names, never live under a deleted one, and no number spent twice.
// Once the table is on the disk the deletion has happened: a block that then cannot be
// rewritten keeps the old name, and is no failure of the deletion.
void commitDeletions(TDBase& handle, const std::vector<DetailsRewrite>& rewrites) {
  if (rewrites.empty()) return;
  WriteKeyTable(handle);
  try {
    for (const DetailsRewrite& r : rewrites) RewriteDiskDetails(handle, r.Offset, r.Info);
  } catch (const EKstvException&) {
    ReopenDBaseFile(handle);
  }
}

}  // namespace

void ApiSetCallbacks(TCallbackQuery query, TCallbackChoice choice, TCallbackMessage message,
                     TCallbackAppendText appendText, TCallbackPercent percent,
                     TCallbackAbort abort) {
  SetCallbacks(query, choice, message, appendText, percent, abort);
}

void ApiResetCallbacks() {
  ResetCallbacks();
}

int32_t ApiTestDBaseFile(const ShortString& path) {
  return static_cast<int32_t>(CheckDBaseHeader(path.view()));
}

bool ApiCreateDBase(const ShortString& path) {
  TDBase handle;
  return CreateDBaseFile(handle, path.view());
}

bool ApiOpenDBase(const ShortString& path, bool rebuildKeys, TDBase*& handle,
                  ShortString& errorText, int capacity) {
  handle = nullptr;
  auto made = std::make_unique<TDBase>();
  try {
    OpenDBaseFile(*made, path.view(), rebuildKeys);
  } catch (const EKstvException& e) {
    copyOut(errorText, e.what(), capacity);
    return false;
  }
  handle = made.release();
  return true;
}

bool ApiCloseDBase(TDBase*& handle, bool readOnlyExport) {
  if (handle == nullptr) return false;
  std::unique_ptr<TDBase> owned(handle);
  handle = nullptr;
  owned->ReadOnlyExport = readOnlyExport;
  // Closed here rather than by the destructor, so that a failed header write is reported.
  return CloseDBaseFile(*owned, false);
}

void ApiGetLocalOptions(TDBase* handle, TLocalOptions& options) {
  options = requireDBase(handle).LocalOptions;
}

void ApiSetLocalOptions(TDBase* handle, const TLocalOptions& options) {
  requireDBase(handle).LocalOptions = options;
}

void ApiGetDBaseStats(TDBase* handle, TDBaseStats& stats) {
  stats = TDBaseStats{};
  GetDBaseStats(requireDBase(handle), stats);
}

bool ApiKeysChanged(TDBase* handle) {
  return handle != nullptr && handle->keyTable().disksChanged();
}

bool ApiTreeChanged(TDBase* handle) {
  return handle != nullptr && handle->TreeChanged;
}

bool ApiFilesChanged(TDBase* handle) {
  return handle != nullptr && handle->FilesChanged;
}

void ApiClearKeysChanged(TDBase* handle) {
  setKeysChanged(handle, false);
}

void ApiClearTreeChanged(TDBase* handle) {
  setFlag(handle, &TDBase::TreeChanged, false);
}

void ApiClearFilesChanged(TDBase* handle) {
  setFlag(handle, &TDBase::FilesChanged, false);
}

void ApiSetKeysChanged(TDBase* handle) {
  setKeysChanged(handle, true);
}

void ApiSetTreeChanged(TDBase* handle) {
  setFlag(handle, &TDBase::TreeChanged, true);
}

void ApiSetFilesChanged(TDBase* handle) {
  setFlag(handle, &TDBase::FilesChanged, true);
}

int32_t ApiGetKeyCount(TDBase* handle) {
  return handle == nullptr ? 0 : shownKeyCount(*handle);
}

bool ApiFindDisk(TDBase* handle, ShortString& name, int32_t& index, int capacity) {
  TDBase& db = requireDBase(handle);
  const KeyTable::FoundKey found = db.keyTable().FindKey(name, 0);
  index = found.Index;
  if (!found.Found) return false;
  copyOut(name, db.keyTable().ReadDiskName(keyAt(db, found.Index).Offset).view(), capacity);
  return true;
}

bool ApiGetKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t index, int capacity) {
  TDBase& db = requireDBase(handle);
  if (!isIndexIn(index, shownKeyCount(db))) return false;
  readKey(db, index, name, flags, capacity);
  return true;
}

bool ApiGetCurrentKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t& index,
                      int capacity) {
  TDBase& db = requireDBase(handle);
  if (shownKeyCount(db) == 0) return false;
  index = db.keyTable().keys().CurrentIndex;
  readKey(db, index, name, flags, capacity);
  return true;
}

int32_t ApiGetKeyBlock(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  return isIndexIn(index, db.keyTable().keys().count()) ? keyAt(db, index).Offset : 0;
}

int32_t ApiFindKeyByBlock(TDBase* handle, int32_t offset) {
  const std::vector<TKeyEntry>& keys = requireDBase(handle).keyTable().keys().Keys;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].Offset == offset) return static_cast<int32_t>(i);
  }
  return -1;
}

bool ApiSetCurrentKey(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  TKeyField& keys = db.keyTable().keys();
  if (!isIndexIn(index, keys.count())) return false;
  if (keys.CurrentIndex != index) {
    keys.CurrentIndex = index;
    db.keyTable().setDisksChanged(true);
  }
  return true;
}

bool ApiIsKeySelected(TDBase* handle, int32_t index) {
  if (handle == nullptr || !isIndexIn(index, handle->keyTable().keys().count())) return false;
  return (keyAt(*handle, index).Flags & kKeySelected) != 0;
}

void ApiSelectKey(TDBase* handle, bool select, int32_t index) {
  changeSelection(requireDBase(handle), index, false, select);
}

void ApiToggleKeySelection(TDBase* handle, int32_t index) {
  changeSelection(requireDBase(handle), index, true, false);
}

int32_t ApiCountSelectedKeys(TDBase* handle) {
  return requireDBase(handle).keyTable().CountSelectedKeys();
}

bool ApiGetCurrentDiskDetails(TDBase* handle, ShortString& name, int nameCapacity,
                              ShortString& label, int labelCapacity, ShortString& path,
                              int pathCapacity, uint16_t& flags, int32_t& index) {
  TDBase& db = requireDBase(handle);
  name = label = path = ShortString();
  if (shownKeyCount(db) == 0) return true;
  index = db.keyTable().keys().CurrentIndex;
  const TKeyEntry key = keyAt(db, index);
  flags = key.Flags;
  ReadDiskDetails(db, key.Offset, name, nameCapacity, label, labelCapacity, path, pathCapacity);
  return true;
}

bool ApiGoToDisk(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  if (shownKeyCount(db) <= 0 || !isIndexIn(index, db.keyTable().keys().count())) return false;
  db.keyTable().keys().CurrentIndex = index;
  db.keyTable().setDisksChanged(true);
  return ApiReloadCurrentDisk(handle, false);
}

bool ApiGoToDiskByName(TDBase* handle, const ShortString& name) {
  TDBase& db = requireDBase(handle);
  if (shownKeyCount(db) == 0) return false;
  const KeyTable::FoundKey found = db.keyTable().FindKey(name, 0);
  const bool moved = ApiGoToDisk(handle, found.Index);
  return found.Found && moved;
}

bool ApiReloadCurrentDisk(TDBase* handle, bool onlyIfLoaded) {
  TDBase& db = requireDBase(handle);
  if ((onlyIfLoaded && !db.Trees.Current) || shownKeyCount(db) == 0) return false;
  const int32_t offset = keyAt(db, db.keyTable().keys().CurrentIndex).Offset;
  if (!db.Trees.Current || !readFromBlock(*db.Trees.Current, offset)) {
    LoadTreeStruct(db, db.Trees, offset, kDetailsAndTree);
  }
  return true;
}

bool ApiSaveDisk(TDBase* handle) {
  TDBase& db = requireDBase(handle);
  return WritingTo(db, [&] { return SaveTreeStruct(db, db.Trees, false); });
}

bool ApiReplaceDisk(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  if (!isIndexIn(index, db.keyTable().keys().count())) return false;
  return WritingTo(db, [&] { return SaveTreeStruct(db, db.Trees, false, index); });
}

bool ApiDeleteDisk(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  return WritingTo(db, [&] {
    std::vector<DetailsRewrite> rewrites;
    const bool deleted = markForDeletion(db, index, rewrites);
    commitDeletions(db, rewrites);
    return deleted;
  });
}

bool ApiDeleteSelectedDisks(TDBase* handle) {
  TDBase& db = requireDBase(handle);
  return WritingTo(db, [&] {
    std::vector<DetailsRewrite> rewrites;
    bool all = true;
    while (all && db.keyTable().CountSelectedKeys() > 0) {
      all = markForDeletion(db, db.keyTable().FirstSelectedKey(), rewrites);
    }
    commitDeletions(db, rewrites);
    return all;
  });
}

bool ApiRenameDisk(TDBase* handle, int32_t index, const ShortString& newName, bool undelete) {
  TDBase& db = requireDBase(handle);
  return WritingTo(db, [&] {
    TDiskInfo* info = detailsToRewrite(db, index);
    if (info == nullptr) return false;
    info->DiskName = newName;
    if (undelete) info->Flags &= ~kDiskDeleted;
    TKeyEntry& key = keyAt(db, index);
    // The block first: a break before the key table keeps the disk where it was, under its new
    // name, which the next open sorts in.
    if (!RewriteDiskInfo(db, db.Trees, key.Offset)) return false;
    if (undelete && (key.Flags & kKeyDeleted)) {
      key.Flags &= static_cast<uint16_t>(~kKeyDeleted);
      ++db.keyTable().keys().LiveCount;
    }
    db.keyTable().RepositionKey(index);
    WriteKeyTable(db);
    return true;
  });
}

bool ApiScanDisk(TDBase* handle, std::string_view path, const ShortString& diskName,
                 const ShortString& volumeLabel) {
  TDBase& db = requireDBase(handle);
  db.Trees.Current.reset();
  db.Trees.Current = TreeStructInit(db, false);
  return WritingTo(db, [&] {
    return ScanDiskToTree(*db.Trees.Current, db.Trees.Second.get(), db.LocalOptions, path, diskName,
                          volumeLabel);
  });
}

void ApiFreeTreeStruct(TDBase* handle) {
  if (handle != nullptr) handle->Trees.Current.reset();
}

void ApiFreeOldTreeStruct(TDBase* handle) {
  if (handle != nullptr) handle->Trees.Second.reset();
}

void ApiKeepTreeAsOld(TDBase* handle) {
  if (handle != nullptr) handle->Trees.Second = std::move(handle->Trees.Current);
}

void ApiRestoreOldTree(TDBase* handle) {
  if (handle == nullptr) return;
  handle->Trees.Current = std::move(handle->Trees.Second);
  // A previous version is loaded without a file list; the current tree shows its folder's.
  TTreeStruct* tree = handle->Trees.Current.get();
  if (tree != nullptr && !tree->FileCol && tree->CurDir != nullptr)
    LoadFileCol(*tree, kListWithParent);
}

bool ApiLoadOldDisk(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  db.Trees.Second.reset();
  if (!isIndexIn(index, db.keyTable().keys().count())) return false;
  try {
    LoadOldTreeStruct(db, db.Trees, keyAt(db, index).Offset);
  } catch (const EKstvDBaseStructException&) {
    ++db.DamageCounter;
    db.Trees.Second.reset();
    return false;
  }
  return true;
}

bool ApiGetDiskInfo(TDBase* handle, TDiskInfo& info) {
  info = requireTree(requireDBase(handle)).DiskInfo;
  return true;
}

TDirCollection* ApiGetRootDirCol(TDBase* handle) {
  return requireTree(requireDBase(handle)).Root.get();
}

TDirCollection* ApiGetCurrentDirCol(TDBase* handle) {
  return requireTree(requireDBase(handle)).CurDir;
}

void ApiSetCurrentDirCol(TDBase* handle, TDirCollection* node) {
  TTreeStruct& tree = requireTree(requireDBase(handle));
  TDirCollection* top = &requireNode(node);
  while (top->Parent != nullptr) top = top->Parent;
  // A node of another tree would be left dangling when that tree goes.
  if (top != tree.Root.get()) throw EKstvFatalException(kDirColHandleIsNil);
  tree.CurDir = node;
}

bool ApiGetCurrentDirTotals(TDBase* handle, TDirTotals& totals) {
  totals = TDirTotals{};
  if (handle == nullptr || !handle->Trees.Current || !handle->Trees.Current->CurDir) return false;
  totals = handle->Trees.Current->CurDir->Totals;
  return true;
}

TFileCollection* ApiGetFileCol(TDBase* handle) {
  return requireTree(requireDBase(handle)).FileCol.get();
}

void ApiUpdateFileCol(TDBase* handle) {
  LoadFileCol(requireTree(requireDBase(handle)), kListWithParent);
}

bool ApiGoToPath(TDBase* handle, const ShortString& path) {
  TTreeStruct& tree = requireTree(requireDBase(handle));
  TDirCollection* node = IsCutPath(path.view()) ? FindDirByCutPath(tree.Root.get(), path.view())
                                                : FindDirByPath(tree.Root.get(), path.view());
  if (node == nullptr) return false;
  tree.CurDir = node;
  LoadFileCol(tree, kListWithParent);
  return GetDirPath(*node) == path;
}

bool ApiGetCurrentPath(TDBase* handle, ShortString& path, int capacity) {
  path = ShortString();
  const TDirCollection* folder = shownFolder(handle);
  if (folder == nullptr) return false;
  path = CutPathToTail(FullDirPath(*folder), capacity);
  return true;
}

bool ApiIsInArchive(TDBase* handle) {
  const TDirCollection* folder = shownFolder(handle);
  return folder != nullptr && folder->InsideArchive;
}

void ApiGetArchivePath(TDBase* handle, ShortString& path) {
  path = ShortString();
  if (const TDirCollection* folder = shownFolder(handle)) GetArchiveDirPath(*folder, path);
}

int32_t ApiDirColCount(TDirCollection* node) {
  return requireNode(node).Count();
}

TDirCollection* ApiDirColAt(TDirCollection* node, int32_t index) {
  return requireNode(node).ItemAt(index);
}

bool ApiDirColCheck(TDirCollection* node, TOneDir& record) {
  CopyOneDir(requireNode(node).Dir, record);
  return true;
}

int32_t ApiFileColCount(TFileCollection* files) {
  return requireFiles(files).Count();
}

bool ApiFileColAt(TFileCollection* files, int32_t index, TOneFile& record) {
  CopyOneFile(*requireFiles(files).ItemAt(index), record);
  return true;
}

std::span<const TOneFile* const> ApiFileColLines(TFileCollection* files) {
  const std::span<TOneFile* const> lines = requireFiles(files).Items();
  return {lines.data(), lines.size()};
}

bool ApiGetShortDesc(TDBase* handle, int32_t offset, ShortString& text, int capacity) {
  TDBase& db = requireDBase(handle);
  return ReadShortDesc(db, db.DescCache, offset, -1, capacity, text);
}

bool ApiGetFullDesc(TDBase* handle, int32_t offset, std::string& text) {
  return ReadFullDesc(requireDBase(handle), offset, text);
}

bool ApiSetDesc(TDBase* handle, int32_t& entry, std::string_view text) {
  TDBase& db = requireDBase(handle);
  return WritingTo(db, [&] { return WriteDesc(db, entry, text); });
}

void ApiUpdateDescRef(TDBase* handle, const TOneFile& line) {
  UpdateFileDescRef(requireDBase(handle).Trees, line);
}

std::vector<ShortString> ApiParseSelectionMasks(std::string_view text) {
  TItemCollection<TMaskItem> items(30, 50);
  ParseMaskListEx(text, items, false, false, false);
  std::vector<ShortString> masks;
  masks.reserve(items.Items().size());
  for (const TMaskItem* item : items.Items()) masks.push_back(GetPStr(item->Mask));
  return masks;
}

bool ApiMatchesAnyMask(std::span<const ShortString> masks, std::string_view name) {
  return MatchesAnyMask(masks, name, false, false);
}

void ApiSelectKeysByMasks(TDBase* handle, std::span<const ShortString> masks) {
  const int32_t count = ApiGetKeyCount(handle);
  for (int32_t i = 0; i < count; ++i) {
    ShortString name;
    uint16_t flags = 0;
    if (!ApiGetKey(handle, name, flags, i) || (flags & kKeySelected) != 0) continue;
    if (ApiMatchesAnyMask(masks, name.view())) ApiSelectKey(handle, true, i);
  }
}

}  // namespace vellomar
