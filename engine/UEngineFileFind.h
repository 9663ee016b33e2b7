#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/UKeyField.h"
#include "engine/UMaskItems.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"
#include "engine/api/USearchDlgData.h"
#include "foundation/UCollections.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TCatalogueFile;
struct TTreeSlots;

inline constexpr uint8_t kFoundFile = 0;
inline constexpr uint8_t kFoundFolder = 1;

// One result of a file search or a free-space search. A disk item (a disk-name hit or a
// free-space line) has no folder path and no name; a free-space line carries free kB in
// DateTime and the disk size in kB in Size. The disk name and the folder path are shared by
// the items of one disk and of one folder.
class TFoundItem : public TPlainObject {
 public:
  using SharedText = std::shared_ptr<const std::string>;

  TFoundItem() = default;
  TFoundItem(const TFoundItem&) = delete;
  TFoundItem& operator=(const TFoundItem&) = delete;

  std::string_view diskName() const { return DiskName ? std::string_view(*DiskName) : ""; }
  std::string_view folderPath() const { return FolderPath ? std::string_view(*FolderPath) : ""; }

  SharedText DiskName;
  SharedText FolderPath;
  std::string Name;
  // A file or folder hit's short description is read from its block when asked for (from
  // DescStart on); a disk item carries its text here.
  std::string ShortDesc;
  bool DescInBlock = false;
  int32_t DescStart = 0;
  ExtensionString Ext;
  uint8_t Kind = kFoundFile;
  uint16_t Attr = 0;
  int32_t DateTime = 0;
  int32_t Size = 0;
  int32_t DescOffset = 0;
  int32_t EntryOffset = 0;
};

// A file or folder hit; its short description is read from descStart of its block when asked.
TFoundItem* NewFoundItem(const TFileRecord& record, std::string_view name, int32_t entryOffset,
                         int32_t descStart, TFoundItem::SharedText path,
                         TFoundItem::SharedText diskName);
TFoundItem* NewFoundFolderItem(TFoundItem::SharedText diskName, int32_t dateField,
                               int32_t sizeField, std::string_view text);

class TFileSearchCol : public TItemCollection<TFoundItem> {
 public:
  TFileSearchCol() : TItemCollection(1000, 1000) {}
};

// What a search or walk visited; the name figures come from walks only.
struct VisitCounters {
  int32_t Disks = 0;
  int32_t Folders = 0;
  int32_t Files = 0;
  int32_t LongestName = 0;      // characters
  int32_t WidestName = 0;       // as the measure callback answers
  int32_t TotalNameLength = 0;  // characters
};

// The search and walk state a database handle keeps: the results, the masks parsed from the
// last request, the counters and the per-handle callbacks.
struct SearchState {
  TFileSearchCol Found;
  TItemCollection<TMaskItem> SearchMasks{30, 100};
  TItemCollection<TMaskItem> ExcludeMasks{30, 100};
  TItemCollection<TMaskItem> DirMasks{30, 100};
  VisitCounters Counters;
  TProgressCallback Progress = DefaultProgressCallback;
  TPrintCallbacks Print;
  TExportCallbacks Export;
  // The texts of the last found item viewed that could not be viewed in place.
  ShortString ViewedPath;
  ShortString ViewedDesc;
};

// Zeroes the disk, folder and file counters and the file's damage counter and clears abort:
// every search, walk and copy starts so.
void ResetVisit(TCatalogueFile& file, VisitCounters& counters, bool& abort);

// Whether the live key at index belongs to the disks of scope. kCurrentDisk admits the key at
// the table's current index only.
bool DiskInScope(const TKeyField& keys, int32_t index, SearchScope scope);

// The date, size and exclusion limits of a request with more options. Date-times and sizes
// compare as the unsigned values they are; DateTo is the first moment no longer admitted. name:
// the line's name without its extension, which the record holds.
bool PassesSearchLimits(const TSearchDlgData& request,
                        const TItemCollection<TMaskItem>& excludeMasks, const TFileRecord& record,
                        std::string_view name);

// Runs request, its masks parsed into state, over the disks of file it names into state's found
// collection; abort, which the progress callback may raise, ends it. Leaves trees without a
// current tree.
void SearchFiles(TCatalogueFile& file, TTreeSlots& trees, SearchState& state,
                 const TSearchDlgData& request, bool& abort);

}  // namespace vellomar
