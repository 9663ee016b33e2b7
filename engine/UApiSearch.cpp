#include "engine/api/UApiSearch.h"

#include <algorithm>
#include <string_view>

#include "engine/UDBase.h"
#include "engine/UDBaseCopy.h"
#include "engine/UDescriptions.h"
#include "engine/UDiskWalk.h"
#include "engine/UEngineFileFind.h"
#include "engine/UMasks.h"
#include "engine/api/UApiErrors.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

ShortString cutTo(std::string_view text, int capacity) {
  const auto limit = static_cast<size_t>(std::clamp(capacity, 0, ShortString::kMaxLength));
  return ShortString(utf8Prefix(text.substr(0, ShortString::kMaxLength), limit));
}

void freeFound(TDBase* handle) {
  requireDBase(handle).Search.Found.FreeAll();
}

}  // namespace

void ApiSearch(TDBase* handle, const TSearchDlgData& request) {
  TDBase& h = requireDBase(handle);
  SearchState& state = h.Search;
  ParseMaskListEx(request.Mask.view(), state.SearchMasks, request.CaseSensitive,
                  request.AddWildcards, request.Phrase);
  ParseMaskListEx(request.ExcludeMask.view(), state.ExcludeMasks, false, false, false);
  ParseMaskListEx(request.DirMask.view(), state.DirMasks, false, false, false);
  h.SearchRequest = request;
  SearchFiles(h, h.Trees, state, h.SearchRequest, h.Abort);
}

void ApiSetSearchCallback(TDBase* handle, TProgressCallback progress) {
  requireDBase(handle).Search.Progress = progressOrDefault(progress);
}

void ApiResetSearchCallback(TDBase* handle) {
  requireDBase(handle).Search.Progress = DefaultProgressCallback;
}

void ApiClearFound(TDBase* handle) {
  freeFound(handle);
}

void ApiFreeFound(TDBase* handle) {
  freeFound(handle);
}

bool ApiAnyFound(TDBase* handle) {
  return requireDBase(handle).Search.Found.Count() > 0;
}

int32_t ApiFoundCount(TDBase* handle) {
  return requireDBase(handle).Search.Found.Count();
}

bool ApiViewFoundItem(TDBase* handle, int32_t index, TFoundItemView& view) {
  TDBase& h = requireDBase(handle);
  SearchState& state = h.Search;
  if (index < 0 || index >= state.Found.Count()) return false;
  const TFoundItem& item = *state.Found.ItemAt(index);
  const std::string_view path = item.folderPath();
  if (path.size() <= static_cast<size_t>(ShortString::kMaxLength)) {
    view.FolderPath = path;
  } else {
    state.ViewedPath = CutPathToTail(path, ShortString::kMaxLength);
    view.FolderPath = state.ViewedPath.view();
  }
  view.DiskName = utf8Prefix(item.diskName(), ShortString::kMaxLength);
  if (item.DescInBlock && item.DescOffset == 0) {
    // No block to read: most hits of a large search have none.
    view.ShortDesc = {};
  } else if (item.DescInBlock) {
    ReadShortDesc(h, h.DescCache, item.DescOffset, item.DescStart, ShortString::kMaxLength,
                  state.ViewedDesc);
    view.ShortDesc = state.ViewedDesc.view();
  } else {
    view.ShortDesc = utf8Prefix(item.ShortDesc, ShortString::kMaxLength);
  }
  view.Name = utf8Prefix(item.Name, ShortString::kMaxLength);
  view.Data = TFileRecord{};
  view.Data.Ext = item.Ext;
  view.Data.Size = item.Size;
  view.Data.DateTime = item.DateTime;
  view.Data.Attr = item.Attr;
  view.Data.DescOffset = item.DescOffset;
  view.EntryOffset = item.EntryOffset;
  return true;
}

bool ApiGetFoundItem(TDBase* handle, int32_t index, TOneFile& record, ShortString& diskName,
                     ShortString& folderPath, ShortString& shortDesc, int diskNameCapacity,
                     int folderPathCapacity, int shortDescCapacity) {
  TFoundItemView view;
  if (!ApiViewFoundItem(handle, index, view)) return false;
  record = TOneFile{};
  // Cut from the whole path: a cut of the viewed cut could keep less.
  folderPath = CutPathToTail(requireDBase(handle).Search.Found.ItemAt(index)->folderPath(),
                             folderPathCapacity);
  diskName = cutTo(view.DiskName, diskNameCapacity);
  shortDesc = cutTo(view.ShortDesc, shortDescCapacity);
  record.Name = ShortString(view.Name);
  record.Data = view.Data;
  record.EntryOffset = view.EntryOffset;
  return true;
}

void ApiSearchFreeSpace(TDBase* handle) {
  TDBase& h = requireDBase(handle);
  SearchFreeSpace(h, h.Trees);
}

TSearchCountsView ApiViewSearchCounts(TDBase* handle) {
  const TDBase& h = requireDBase(handle);
  const VisitCounters& counters = h.Search.Counters;
  return {&counters.Disks, &counters.Folders, &counters.Files, &h.Search.Found.CountRef(),
          &h.keyTable().keys().LiveCount};
}

void ApiGetSearchCounts(TDBase* handle, int32_t& percent, int32_t& disks, int32_t& folders,
                        int32_t& files) {
  percent = 0;
  disks = 0;
  folders = 0;
  files = 0;
  const TSearchCounts counts = ApiViewSearchCounts(handle).read();
  percent = counts.Percent;
  disks = counts.Disks;
  folders = counts.Folders;
  files = counts.Files;
}

void ApiGetScanCounts(TDBase* handle, int32_t& longest, int32_t& average, int32_t& widest) {
  longest = 0;
  widest = 0;
  const VisitCounters& counters = requireDBase(handle).Search.Counters;
  longest = counters.LongestName;
  widest = counters.WidestName;
  average = counters.Files > 0 ? counters.TotalNameLength / counters.Files : 0;
}

void ApiSetPrintCallbacks(TDBase* handle, TProgressCallback progress, TPrintTextCallback disk,
                          TPrintTextCallback folder, TPrintFileCallback file,
                          TTextWidthCallback measure) {
  SearchState& state = requireDBase(handle).Search;
  state.Progress = progressOrDefault(progress);
  state.Print = makePrintCallbacks(disk, folder, file, measure);
}

void ApiResetPrintCallbacks(TDBase* handle) {
  SearchState& state = requireDBase(handle).Search;
  state.Progress = DefaultProgressCallback;
  state.Print = TPrintCallbacks{};
}

void ApiSetExportCallbacks(TDBase* handle, TProgressCallback progress,
                           TExportCallback databaseBegin, TExportCallback databaseEnd,
                           TExportCallback diskBegin, TExportCallback diskEnd,
                           TExportCallback folderBegin, TExportCallback folderEnd,
                           TExportCallback file) {
  SearchState& state = requireDBase(handle).Search;
  state.Progress = progressOrDefault(progress);
  state.Export = makeExportCallbacks(databaseBegin, databaseEnd, diskBegin, diskEnd, folderBegin,
                                     folderEnd, file);
}

void ApiResetExportCallbacks(TDBase* handle) {
  SearchState& state = requireDBase(handle).Search;
  state.Progress = DefaultProgressCallback;
  state.Export = TExportCallbacks{};
}

void ApiIterateDisks(TDBase* handle, int32_t scope, int32_t mode) {
  TDBase& h = requireDBase(handle);
  IterateDisks(h, h.Trees, scope, mode);
}

void ApiWalkDisks(TDBase* handle, int32_t scope, int32_t mode, TWalkSink& sink) {
  TDBase& h = requireDBase(handle);
  IterateDisks(h, h.Trees, scope, mode, sink);
}

bool ApiCompressDBase(TDBase* source, TDBase* target, bool allDisks, bool uniqueNames,
                      bool copyOptions) {
  TCopyCounts counts;
  return ApiCompressDBase(source, target, allDisks, uniqueNames, copyOptions, counts);
}

bool ApiCompressDBase(TDBase* source, TDBase* target, bool allDisks, bool uniqueNames,
                      bool copyOptions, TCopyCounts& counts) {
  TDBase& from = requireDBase(source);
  TDBase& into = requireDBase(target);
  // An import writes into an open database: a failure leaves it as the disk holds it.
  return WritingTo(into, [&] {
    return CompressDBase(from, from.Trees, into, into.Trees, allDisks, uniqueNames, copyOptions,
                         counts);
  });
}

bool ApiRepairDBase(TDBase* source, TDBase* target, TCopyCounts& counts) {
  TDBase& from = requireDBase(source);
  TDBase& into = requireDBase(target);
  return CompressDBase(from, from.Trees, into, into.Trees, true, false, true, counts);
}

int32_t ApiGetErrorCount(TDBase* handle) {
  return handle == nullptr ? 0 : handle->DamageCounter;
}

void ApiClearErrorCount(TDBase* handle) {
  if (handle != nullptr) handle->DamageCounter = 0;
}

}  // namespace vellomar
