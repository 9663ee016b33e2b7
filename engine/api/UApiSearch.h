#pragma once

#include <cstdint>
#include <string_view>

#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"
#include "engine/api/USearchDlgData.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDBase;

// The flat interface for searches, found items, free space, print and export walks, copying
// and the damage counter, under the conventions of the rest of the flat interface: a null
// handle raises "Internal error 500: DBaseIsNil" unless marked otherwise, engine exceptions
// pass through, out strings are cut to the caller's capacity.

// Parses the request's mask, exclusion mask and folder mask, keeps a copy of the request and
// runs the search into the handle's found collection.
void ApiSearch(TDBase* handle, const TSearchDlgData& request);
void ApiSetSearchCallback(TDBase* handle, TProgressCallback progress);
void ApiResetSearchCallback(TDBase* handle);

// Both free every found item.
void ApiClearFound(TDBase* handle);
void ApiFreeFound(TDBase* handle);
bool ApiAnyFound(TDBase* handle);
int32_t ApiFoundCount(TDBase* handle);
// An index outside the found items answers false and changes nothing. Otherwise the record
// gets the item's name, extension, size, date-time, attributes and offsets (SubDir null).
bool ApiGetFoundItem(TDBase* handle, int32_t index, TOneFile& record, ShortString& diskName,
                     ShortString& folderPath, ShortString& shortDesc,
                     int diskNameCapacity = ShortString::kMaxLength,
                     int folderPathCapacity = ShortString::kMaxLength,
                     int shortDescCapacity = ShortString::kMaxLength);

// A found item read in place, its texts cut as ApiGetFoundItem cuts them at full capacity. The
// texts view the found items and the handle, so they hold until the next view or until the
// found items change; the items of one folder view the same disk name and folder path.
struct TFoundItemView {
  TFileRecord Data;
  int32_t EntryOffset = 0;
  std::string_view Name;
  std::string_view DiskName;
  std::string_view FolderPath;
  std::string_view ShortDesc;
};
// An index outside the found items answers false and changes nothing.
bool ApiViewFoundItem(TDBase* handle, int32_t index, TFoundItemView& view);

void ApiSearchFreeSpace(TDBase* handle);

// The counts of a search, walk or copy as they stand: the disks, folders and files visited, the
// items found, and the visited disks' share of the live ones in percent (0 without live disks).
struct TSearchCounts {
  int32_t Percent = 0;
  int32_t Disks = 0;
  int32_t Folders = 0;
  int32_t Files = 0;
  int32_t Found = 0;
};

// Where a handle keeps those counts, handed out before a run: its progress callback reads them
// as they stand without calling into the engine. Valid while the handle is open; an empty view
// reads zeros.
struct TSearchCountsView {
  const int32_t* Disks = nullptr;
  const int32_t* Folders = nullptr;
  const int32_t* Files = nullptr;
  const int32_t* Found = nullptr;
  const int32_t* LiveDisks = nullptr;

  TSearchCounts read() const {
    TSearchCounts counts;
    if (Disks == nullptr) return counts;
    counts.Disks = *Disks;
    counts.Folders = *Folders;
    counts.Files = *Files;
    counts.Found = *Found;
    if (*LiveDisks > 0) {
      counts.Percent = static_cast<int32_t>(int64_t{counts.Disks} * 100 / *LiveDisks);
    }
    return counts;
  }
};
TSearchCountsView ApiViewSearchCounts(TDBase* handle);

// All four are 0 before the handle is checked; percent as TSearchCounts has it.
void ApiGetSearchCounts(TDBase* handle, int32_t& percent, int32_t& disks, int32_t& folders,
                        int32_t& files);
// longest and widest are 0 before the handle is checked; average is 0 without files.
void ApiGetScanCounts(TDBase* handle, int32_t& longest, int32_t& average, int32_t& widest);

// A null procedure installs its slot's default.
void ApiSetPrintCallbacks(TDBase* handle, TProgressCallback progress, TPrintTextCallback disk,
                          TPrintTextCallback folder, TPrintFileCallback file,
                          TTextWidthCallback measure);
void ApiResetPrintCallbacks(TDBase* handle);
void ApiSetExportCallbacks(TDBase* handle, TProgressCallback progress,
                           TExportCallback databaseBegin, TExportCallback databaseEnd,
                           TExportCallback diskBegin, TExportCallback diskEnd,
                           TExportCallback folderBegin, TExportCallback folderEnd,
                           TExportCallback file);
void ApiResetExportCallbacks(TDBase* handle);

// Scope 1 current disk, 2 selected, 3 not selected, 4 the current folder down; mode 0 measure,
// 1 print, 2 export.
void ApiIterateDisks(TDBase* handle, int32_t scope, int32_t mode);
// The same walk handing each record to sink, which keeps its own state; the handle's print and
// export callbacks are not called.
void ApiWalkDisks(TDBase* handle, int32_t scope, int32_t mode, TWalkSink& sink);

// Either handle null raises before anything is copied.
bool ApiCompressDBase(TDBase* source, TDBase* target, bool allDisks, bool uniqueNames,
                      bool copyOptions);
// The same; counts gets what was saved and what failed the checks and was left out.
bool ApiCompressDBase(TDBase* source, TDBase* target, bool allDisks, bool uniqueNames,
                      bool copyOptions, TCopyCounts& counts);

// The repair's copy: every live disk, names as they stand, the local options taken over.
// counts gets what was saved and what failed the checks and was left out. Either handle null
// raises before anything is copied.
bool ApiRepairDBase(TDBase* source, TDBase* target, TCopyCounts& counts);

// Null answers 0.
int32_t ApiGetErrorCount(TDBase* handle);
// Null is ignored.
void ApiClearErrorCount(TDBase* handle);

}  // namespace vellomar
