#include "ui/common/UCatalogueGateway.h"

#include <exception>

namespace vellomar {

CatalogueGateway::~CatalogueGateway() {
  try {
    close();
  } catch (const std::exception&) {
    // The handle is freed; the failure has no one to be reported to any more.
  }
}

bool CatalogueGateway::open(const ShortString& path, bool rebuildKeys, ShortString& errorText) {
  close();
  return ApiOpenDBase(path, rebuildKeys, handle_, errorText);
}

void CatalogueGateway::close(bool markReadOnly) {
  if (handle_ != nullptr) ApiCloseDBase(handle_, markReadOnly);
}

TDBase* CatalogueGateway::release() {
  TDBase* handle = handle_;
  handle_ = nullptr;
  return handle;
}

bool CatalogueGateway::readOnly() const {
  return stats().ReadOnly != 0;
}

TDBaseStats CatalogueGateway::stats() const {
  TDBaseStats stats;
  ApiGetDBaseStats(handle_, stats);
  return stats;
}

bool CatalogueGateway::takeDamage() {
  if (ApiGetErrorCount(handle_) == 0) return false;
  ApiClearErrorCount(handle_);
  return true;
}

TLocalOptions CatalogueGateway::localOptions() const {
  TLocalOptions options;
  ApiGetLocalOptions(handle_, options);
  return options;
}

void CatalogueGateway::setLocalOptions(const TLocalOptions& options) {
  ApiSetLocalOptions(handle_, options);
}

void CatalogueGateway::setAllChanged() {
  ApiSetKeysChanged(handle_);
  ApiSetTreeChanged(handle_);
  ApiSetFilesChanged(handle_);
}

std::optional<CatalogueKey> CatalogueGateway::key(int32_t index) const {
  CatalogueKey key;
  key.Index = index;
  if (!ApiGetKey(handle_, key.Name, key.Flags, index)) return std::nullopt;
  return key;
}

void CatalogueGateway::selectKeysByMasks(std::span<const ShortString> masks) {
  ApiSelectKeysByMasks(handle_, masks);
}

bool CatalogueGateway::renameDisk(int32_t index, const ShortString& newName, bool undelete) {
  return ApiRenameDisk(handle_, index, newName, undelete);
}

std::optional<TDiskInfo> CatalogueGateway::diskInfo() const {
  TDiskInfo info;
  if (!ApiGetDiskInfo(handle_, info)) return std::nullopt;
  return info;
}

CatalogueDiskDetails CatalogueGateway::currentDiskDetails() const {
  CatalogueDiskDetails d;
  ApiGetCurrentDiskDetails(handle_, d.Name, ShortString::kMaxLength, d.Label,
                           ShortString::kMaxLength, d.Path, ShortString::kMaxLength, d.Flags,
                           d.Index);
  return d;
}

TDirTotals CatalogueGateway::currentTotals() const {
  TDirTotals totals;
  ApiGetCurrentDirTotals(handle_, totals);
  return totals;
}

std::string CatalogueGateway::archivePath() const {
  ShortString path;
  ApiGetArchivePath(handle_, path);
  return path.str();
}

std::string CatalogueGateway::shortDescription(int32_t offset) const {
  ShortString text;
  return ApiGetShortDesc(handle_, offset, text) ? text.str() : std::string();
}

std::string CatalogueGateway::fullDescription(int32_t offset) const {
  std::string text;
  ApiGetFullDesc(handle_, offset, text);
  return text;
}

std::optional<CatalogueKey> CatalogueGateway::currentKey() const {
  CatalogueKey key;
  if (!ApiGetCurrentKey(handle_, key.Name, key.Flags, key.Index)) return std::nullopt;
  return key;
}

std::string CatalogueGateway::currentDiskName() const {
  const std::optional<CatalogueKey> key = currentKey();
  return key ? key->Name.str() : std::string();
}

std::string CatalogueGateway::currentPath() const {
  ShortString path;
  ApiGetCurrentPath(handle_, path);
  return path.str();
}

CataloguePlace CatalogueGateway::currentPlace() const {
  return {currentDiskName(), currentPath()};
}

std::optional<int32_t> CatalogueGateway::findDisk(const std::string& name) const {
  ShortString found(name);
  int32_t index = -1;
  if (ApiGetKeyCount(handle_) == 0 || !ApiFindDisk(handle_, found, index)) return std::nullopt;
  return index;
}

int32_t CatalogueGateway::keepAsFormerVersion(int32_t index) {
  ApiLoadOldDisk(handle_, index);
  return ApiGetKeyBlock(handle_, index);
}

void CatalogueGateway::clearForScan() {
  ApiClearFound(handle_);
  ApiFreeTreeStruct(handle_);
}

bool CatalogueGateway::saveScannedDisk(int32_t formerBlock) {
  const int32_t formerKey = formerBlock != 0 ? ApiFindKeyByBlock(handle_, formerBlock) : -1;
  return formerKey >= 0 ? ApiReplaceDisk(handle_, formerKey) : ApiSaveDisk(handle_);
}

void CatalogueGateway::freeScanTrees() {
  ApiFreeTreeStruct(handle_);
  ApiFreeOldTreeStruct(handle_);
}

NameCounts CatalogueGateway::nameCounts() const {
  NameCounts counts;
  ApiGetScanCounts(handle_, counts.Longest, counts.Average, counts.Widest);
  return counts;
}

namespace {

// The search's progress callback, installed while it lives and reset on every path.
class SearchCallbackInstalled {
 public:
  SearchCallbackInstalled(TDBase* handle, TProgressCallback progress) : handle_(handle) {
    ApiSetSearchCallback(handle_, progress);
  }
  ~SearchCallbackInstalled() { ApiResetSearchCallback(handle_); }
  SearchCallbackInstalled(const SearchCallbackInstalled&) = delete;
  SearchCallbackInstalled& operator=(const SearchCallbackInstalled&) = delete;

 private:
  TDBase* handle_;
};

}  // namespace

template <class Search>
bool CatalogueGateway::runSearch(TProgressCallback progress, const Search& search) {
  ApiFreeTreeStruct(handle_);
  ApiClearFound(handle_);
  {
    const SearchCallbackInstalled installed(handle_, progress);
    search();
  }
  return ApiAnyFound(handle_);
}

bool CatalogueGateway::searchFiles(const TSearchDlgData& request, TProgressCallback progress) {
  return runSearch(progress, [&] { ApiSearch(handle_, request); });
}

bool CatalogueGateway::searchFreeSpace(TProgressCallback progress) {
  return runSearch(progress, [&] { ApiSearchFreeSpace(handle_); });
}

int32_t CatalogueGateway::foundCount() const {
  return ApiFoundCount(handle_);
}

}  // namespace vellomar
