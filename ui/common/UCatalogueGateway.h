#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApi.h"
#include "foundation/UShortString.h"

namespace vellomar {

// The disk the key table has current, as a value.
struct CatalogueKey {
  ShortString Name;
  uint16_t Flags = 0;
  int32_t Index = 0;

  bool deleted() const { return (Flags & kKeyDeleted) != 0; }
};

// The current disk with what its scan recorded.
struct CatalogueDiskDetails {
  ShortString Name;
  ShortString Label;
  ShortString Path;  // the scanned drive or folder
  uint16_t Flags = 0;
  int32_t Index = 0;
};

// What the last walk measured of the names: the longest, the average and the widest.
struct NameCounts {
  int32_t Longest = 0;
  int32_t Average = 0;
  int32_t Widest = 0;
};

// Where the database window stands: the current disk and folder. An empty disk means there is
// no place to come back to (an empty database).
struct CataloguePlace {
  std::string Disk;
  std::string Folder;
};

// One open catalogue as the windows and runs reach it: it owns the engine's handle and keeps in
// one place the orders in which the engine is called for a search run, a scan's disk
// replacement, the copy runs and the current place. No widgets: the tests drive it without a
// display.
class CatalogueGateway {
 public:
  CatalogueGateway() = default;
  // Takes over a handle opened elsewhere.
  explicit CatalogueGateway(TDBase* handle) : handle_(handle) {}
  // Closes a handle still open and swallows the failure: a window reports it through close.
  ~CatalogueGateway();
  CatalogueGateway(const CatalogueGateway&) = delete;
  CatalogueGateway& operator=(const CatalogueGateway&) = delete;

  // A new empty catalogue file; false when it cannot be written.
  static bool createFile(const std::string& path) { return ApiCreateDBase(ShortString(path)); }
  // 0 for a catalogue that opens, else the refusal code of the header check (4 read-only).
  static int32_t testFile(const std::string& path) { return ApiTestDBaseFile(ShortString(path)); }

  // The masks of a selection by masks from the text the user typed.
  static std::vector<ShortString> selectionMasks(std::string_view text) {
    return ApiParseSelectionMasks(text);
  }
  // Whether name matches any of masks as a selection by masks takes it.
  static bool matchesAnyMask(std::span<const ShortString> masks, std::string_view name) {
    return ApiMatchesAnyMask(masks, name);
  }

  // ---- A loaded tree's folders and a file list, read through their nodes ----
  static int32_t subfolderCount(TDirCollection* node) { return ApiDirColCount(node); }
  // A bad index raises "Internal problem in list indexing.".
  static TDirCollection* subfolder(TDirCollection* node, int32_t index) {
    return ApiDirColAt(node, index);
  }
  static bool folderRecord(TDirCollection* node, TOneDir& record) {
    return ApiDirColCheck(node, record);
  }
  static std::span<const TOneFile* const> fileLines(TFileCollection* files) {
    return ApiFileColLines(files);
  }

  // False with the engine's message in errorText; nothing stays open then.
  bool open(const ShortString& path, bool rebuildKeys, ShortString& errorText);
  // The handle is gone afterwards even when the close raises. markReadOnly: the file is
  // written as a read-only database (an export to read-only form).
  void close(bool markReadOnly = false);
  // Gives the handle back without closing it.
  TDBase* release();
  bool isOpen() const { return handle_ != nullptr; }
  // For the export library, which takes the handle.
  TDBase* handle() const { return handle_; }

  // ---- State ----
  bool readOnly() const;
  TDBaseStats stats() const;
  bool empty() const { return handle_ == nullptr || ApiGetKeyCount(handle_) == 0; }
  // Whether readers met damage since the last call; the count is cleared, so the window
  // reports it once.
  bool takeDamage();

  // ---- Settings and change flags (set by the engine, polled and cleared by the window) ----
  TLocalOptions localOptions() const;
  void setLocalOptions(const TLocalOptions& options);
  bool keysChanged() const { return ApiKeysChanged(handle_); }
  bool treeChanged() const { return ApiTreeChanged(handle_); }
  bool filesChanged() const { return ApiFilesChanged(handle_); }
  void clearKeysChanged() { ApiClearKeysChanged(handle_); }
  void clearTreeChanged() { ApiClearTreeChanged(handle_); }
  void clearFilesChanged() { ApiClearFilesChanged(handle_); }
  // Every view rebuilt at the next poll.
  void setAllChanged();
  void setTreeChanged() { ApiSetTreeChanged(handle_); }

  // ---- Disks; an index is a position among the disks shown ----
  int32_t keyCount() const { return ApiGetKeyCount(handle_); }
  std::optional<CatalogueKey> key(int32_t index) const;
  void setCurrentKey(int32_t index) { ApiSetCurrentKey(handle_, index); }
  bool isKeySelected(int32_t index) const { return ApiIsKeySelected(handle_, index); }
  void selectKey(bool select, int32_t index) { ApiSelectKey(handle_, select, index); }
  void toggleKeySelection(int32_t index) { ApiToggleKeySelection(handle_, index); }
  int32_t selectedKeyCount() const { return ApiCountSelectedKeys(handle_); }
  void selectKeysByMasks(std::span<const ShortString> masks);
  bool goToDisk(int32_t index) { return ApiGoToDisk(handle_, index); }
  bool goToDiskByName(const ShortString& name) { return ApiGoToDiskByName(handle_, name); }
  bool deleteDisk(int32_t index) { return ApiDeleteDisk(handle_, index); }
  bool deleteSelectedDisks() { return ApiDeleteSelectedDisks(handle_); }
  bool renameDisk(int32_t index, const ShortString& newName, bool undelete);
  void freeTree() { ApiFreeTreeStruct(handle_); }
  std::optional<TDiskInfo> diskInfo() const;
  CatalogueDiskDetails currentDiskDetails() const;

  // ---- The loaded tree and the current folder's list ----
  TDirCollection* rootFolder() const { return ApiGetRootDirCol(handle_); }
  TDirCollection* currentFolder() const { return ApiGetCurrentDirCol(handle_); }
  // The list is not reloaded.
  void setCurrentFolder(TDirCollection* node) { ApiSetCurrentDirCol(handle_, node); }
  // Zero without a tree or a current folder.
  TDirTotals currentTotals() const;
  TFileCollection* fileList() const { return ApiGetFileCol(handle_); }
  void updateFileList() { ApiUpdateFileCol(handle_); }
  bool goToPath(const std::string& path) { return ApiGoToPath(handle_, ShortString(path)); }
  bool isInArchive() const { return ApiIsInArchive(handle_); }
  std::string archivePath() const;

  // ---- Descriptions ----
  // Empty when there is none or it cannot be read.
  std::string shortDescription(int32_t offset) const;
  std::string fullDescription(int32_t offset) const;
  // entry: the line's entry offset in, its new description offset out.
  bool setDescription(int32_t& entry, std::string_view text) {
    return ApiSetDesc(handle_, entry, text);
  }
  void updateDescriptionRef(const TOneFile& line) { ApiUpdateDescRef(handle_, line); }

  // ---- The current place ----
  std::optional<CatalogueKey> currentKey() const;
  // Empty without a current disk.
  std::string currentDiskName() const;
  // Empty without a tree or a current folder.
  std::string currentPath() const;
  CataloguePlace currentPlace() const;

  // ---- A scan's disk replacement ----
  // The index of the disk of that name, when there is one.
  std::optional<int32_t> findDisk(const std::string& name) const;
  // Loads the disk as the former version a scan carries descriptions over from; its block
  // identifies it after the save has moved the keys.
  int32_t keepAsFormerVersion(int32_t index);
  // Before a scan: no found items, no current tree.
  void clearForScan();
  // Saves the scanned tree as a new disk; with formerBlock, in place of that former version,
  // the new disk saved before the old one is marked deleted, both in one write of the keys.
  // False when the engine refused the write; engine exceptions pass on.
  bool saveScannedDisk(int32_t formerBlock);
  // Scans the drive or folder at path into a new current tree, carrying over from the former
  // version when one is kept.
  bool scanDisk(std::string_view path, const ShortString& diskName, const ShortString& label) {
    return ApiScanDisk(handle_, path, diskName, label);
  }
  // After a scan, saved or not: neither tree stays loaded.
  void freeScanTrees();

  // ---- Disk walks ----
  // Scope 1 current disk, 2 selected, 3 not selected, 4 the current folder down; each record of
  // the walk goes to sink. An export walk:
  void exportWalk(int32_t scope, TWalkSink& sink) { ApiWalkDisks(handle_, scope, 2, sink); }
  // A print walk: mode 0 measures, 1 prints.
  void printWalk(int32_t scope, int32_t mode, TWalkSink& sink) {
    ApiWalkDisks(handle_, scope, mode, sink);
  }
  NameCounts nameCounts() const;

  // ---- Search runs ----
  // The tree is freed and the found items cleared first; the progress callback is installed
  // for the run and reset after it, also when the search raises. True when anything was found.
  bool searchFiles(const TSearchDlgData& request, TProgressCallback progress);
  bool searchFreeSpace(TProgressCallback progress);
  TSearchCounts searchCounts() const { return liveCounts().read(); }
  // Where the counts of the catalogue's runs are kept, for the progress context of a run.
  TSearchCountsView liveCounts() const { return ApiViewSearchCounts(handle_); }
  int32_t foundCount() const;
  // Fills a view the caller reuses item after item: the found list is read on a hot path.
  bool viewFoundItem(int32_t index, TFoundItemView& item) const {
    return ApiViewFoundItem(handle_, index, item);
  }
  void freeFound() { ApiFreeFound(handle_); }

  // ---- Copy runs into another open catalogue, through the callbacks of the run's context ----
  // allDisks: every live disk, else the selected ones (the current one when none is);
  // uniqueNames: a name the target has already gets a suffix; copyOptions: the settings go
  // along. counts gets what was saved and what damage left out. False when the run was stopped
  // or the target refused a disk; the disks saved until then stay.
  bool copyDisksInto(CatalogueGateway& target, bool allDisks, bool uniqueNames, bool copyOptions,
                     TCopyCounts& counts) {
    return ApiCompressDBase(handle_, target.handle_, allDisks, uniqueNames, copyOptions, counts);
  }
  // The repair's copy: every live disk, checked, and the settings; counts gets what was saved
  // and left out. False when the run was stopped.
  bool repairInto(CatalogueGateway& target, TCopyCounts& counts) {
    return ApiRepairDBase(handle_, target.handle_, counts);
  }

 private:
  template <class Search>
  bool runSearch(TProgressCallback progress, const Search& search);

  TDBase* handle_ = nullptr;
};

}  // namespace vellomar
